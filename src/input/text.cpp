#include "input/text.h"

#include <algorithm>

namespace vexa {

namespace {
// Fields are short: a plain loop beats a library call here.
std::size_t findComma(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ',') {
      return i;
    }
  }
  return std::string_view::npos;
}
}  // namespace

std::string_view head(std::string_view text) {
  const auto comma = findComma(text);
  return comma == std::string_view::npos ? std::string_view{} : text.substr(0, comma);
}

std::string_view remainder(std::string_view text) {
  const auto comma = findComma(text);
  return comma == std::string_view::npos ? text : text.substr(comma + 1);
}

std::string replaceAll(std::string_view text, std::string_view pattern, std::string_view with) {
  std::string out;
  if (pattern.empty()) {
    return std::string(text);
  }
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const auto hit = text.find(pattern, from);
    if (hit == std::string_view::npos) {
      out.append(text.substr(from));
      return out;
    }
    out.append(text.substr(from, hit - from));
    out.append(with);
    from = hit + pattern.size();
  }
}

void replaceAllIn(std::string& text, std::string_view pattern, std::string_view with) {
  if (!pattern.empty() && text.find(pattern) != std::string::npos) {
    text = replaceAll(text, pattern, with);
  }
}

namespace {
std::string withoutChar(std::string_view text, char c) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    if (ch != c) {
      out.push_back(ch);
    }
  }
  return out;
}
}  // namespace

std::string unquote(std::string_view text) {
  return withoutChar(text, '"');
}

std::string withoutCommas(std::string_view text) {
  return withoutChar(text, ',');
}

std::string decimalComma(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

int CountPos(std::string_view subtext, std::string_view Text) {
  if (subtext.empty() || Text.empty()) {
    return 0;
  }
  int found = 0;
  std::size_t from = 0;
  while ((from = Text.find(subtext, from)) != std::string_view::npos) {
    ++found;
    from += subtext.size();
  }
  return found;
}

std::string shortenForMessage(std::string_view text, std::size_t maxCodePoints) {
  std::string out;
  std::size_t codePoints = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    // A byte that is not a UTF-8 continuation byte starts a code point.
    if ((byte & 0xC0) != 0x80) {
      if (codePoints == maxCodePoints) {
        out += "…";
        return out;
      }
      ++codePoints;
    }
    if (byte < 0x20) {
      // Control characters (a NUL would even cut the message short) are shown
      // as their visible pictures, U+2400 to U+241F.
      out += "\xE2\x90";
      out.push_back(static_cast<char>(0x80 + byte));
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  return out;
}

std::size_t utf8SequenceAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    return 1;
  }
  std::size_t length = 0;
  unsigned char low = 0x80;  // the allowed range of the first continuation byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (at + length > text.size()) {
    return 0;
  }
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
      return 0;
    }
  }
  return length;
}

std::string_view trimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string quotedMessage(std::string_view text, std::string_view rest) {
  std::string message(1, '\'');
  message.append(shortenForMessage(text));
  message.push_back('\'');
  message.append(rest);
  return message;
}

}  // namespace vexa
