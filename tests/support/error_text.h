// The text of the exception an action raises, for tests of messages.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace vexa::testing {

// What `action` raised, or "no error".
inline std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace vexa::testing
