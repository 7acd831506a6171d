// The reasons of failed file operations in the user's words: the system's
// own error texts are English.
#pragma once

#include <string>

namespace vexa {

// The reason for `error` (an errno value), whichever operation failed:
// "символические ссылки замкнуты в кольцо" for ELOOP, and so on; a reason
// the program has no words for is named by its number.
std::string systemReason(int error);

}  // namespace vexa
