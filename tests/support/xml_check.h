// Whether a package part is well-formed XML 1.0 in UTF-8, for tests that read
// the parts back: a small checker of the tests' own, the same on every
// platform (the interoperability panel validates the parts against the
// schemas with xmllint besides).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/text.h"

namespace vexa::testing {

namespace xml_detail {

// The code point at `at`, and its length; -1 for a byte that is not valid
// UTF-8 there.
inline long codePoint(std::string_view text, std::size_t at, std::size_t& length) {
  length = utf8SequenceAt(text, at);
  if (length == 0) {
    return -1;
  }
  static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  long value = static_cast<unsigned char>(text[at]) & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) {
    value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  }
  return value;
}

inline bool isXmlChar(long c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

inline bool isNameChar(char c, bool first) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80 ||
         (!first && ((u >= '0' && u <= '9') || u == '-' || u == '.'));
}

// A reference after '&' ("amp;", "#x41;"): its length, 0 when it is none.
inline std::size_t referenceLength(std::string_view text, std::size_t at) {
  const std::size_t end = text.find(';', at);
  if (end == std::string_view::npos || end == at) {
    return 0;
  }
  const std::string_view name = text.substr(at, end - at);
  for (const std::string_view known : {"amp", "lt", "gt", "quot", "apos"}) {
    if (name == known) {
      return name.size() + 1;
    }
  }
  if (name.size() > 1 && name[0] == '#') {
    const bool hex = name[1] == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
            std::string_view::npos ||
        digits.size() > 6) {
      return 0;
    }
    const long value = std::stol(std::string(digits), nullptr, hex ? 16 : 10);
    return isXmlChar(value) ? name.size() + 1 : 0;
  }
  return 0;
}

}  // namespace xml_detail

// Empty when `text` is a well-formed document; otherwise what is wrong, and
// where.
inline std::string xmlProblem(std::string_view text) {
  using namespace xml_detail;
  const auto at = [](std::size_t i, const std::string& what) {
    return what + " at byte " + std::to_string(i);
  };
  for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
    const long c = codePoint(text, i, length);
    if (c < 0) {
      return at(i, "invalid UTF-8");
    }
    if (!isXmlChar(c)) {
      return at(i, "a character XML does not allow");
    }
  }
  std::vector<std::string_view> open;
  bool rootSeen = false;
  std::size_t i = 0;
  if (text.substr(0, 5) == "<?xml") {
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) {
      return "an unclosed declaration";
    }
    i = end + 2;
  }
  const auto name = [&](std::size_t& p) {
    const std::size_t begin = p;
    if (p >= text.size() || !isNameChar(text[p], true)) {
      return std::string_view();
    }
    while (p < text.size() && isNameChar(text[p], false)) {
      ++p;
    }
    return text.substr(begin, p - begin);
  };
  const auto blanks = [&](std::size_t& p) {
    while (p < text.size() &&
           (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n')) {
      ++p;
    }
  };
  while (i < text.size()) {
    if (text[i] != '<') {
      const std::size_t end = std::min(text.find('<', i), text.size());
      const std::string_view chars = text.substr(i, end - i);
      if (open.empty() && chars.find_first_not_of(" \t\r\n") != std::string_view::npos) {
        return at(i, "text outside the root element");
      }
      for (std::size_t p = 0; p < chars.size(); ++p) {
        if (chars[p] == '&') {
          const std::size_t length = referenceLength(chars, p + 1);
          if (length == 0) {
            return at(i + p, "a bare '&'");
          }
          p += length;
        } else if (chars.substr(p, 3) == "]]>") {
          return at(i + p, "']]>' in text");
        }
      }
      i = end;
      continue;
    }
    if (text.substr(i, 4) == "<!--") {
      const std::size_t end = text.find("-->", i + 4);
      if (end == std::string_view::npos) {
        return at(i, "an unclosed comment");
      }
      i = end + 3;
      continue;
    }
    if (text.substr(i, 2) == "</") {
      std::size_t p = i + 2;
      const std::string_view closing = name(p);
      blanks(p);
      if (open.empty() || closing != open.back() || p >= text.size() || text[p] != '>') {
        return at(i, "a closing tag that does not match");
      }
      open.pop_back();
      i = p + 1;
      continue;
    }
    std::size_t p = i + 1;
    const std::string_view element = name(p);
    if (element.empty()) {
      return at(i, "a tag without a name");
    }
    if (open.empty() && rootSeen) {
      return at(i, "a second root element");
    }
    std::vector<std::string_view> attributes;
    for (;;) {
      const std::size_t before = p;
      blanks(p);
      if (p >= text.size()) {
        return at(i, "an unclosed tag");
      }
      if (text[p] == '>' || text.substr(p, 2) == "/>") {
        break;
      }
      if (p == before) {
        return at(p, "no blank before an attribute");
      }
      const std::string_view attribute = name(p);
      for (const std::string_view seen : attributes) {
        if (seen == attribute) {
          return at(p, "a repeated attribute");
        }
      }
      attributes.push_back(attribute);
      blanks(p);
      if (attribute.empty() || p >= text.size() || text[p] != '=') {
        return at(p, "an attribute without a value");
      }
      ++p;
      blanks(p);
      if (p >= text.size() || (text[p] != '"' && text[p] != '\'')) {
        return at(p, "an unquoted attribute value");
      }
      const char quote = text[p];
      const std::size_t end = text.find(quote, p + 1);
      if (end == std::string_view::npos) {
        return at(p, "an unclosed attribute value");
      }
      const std::string_view value = text.substr(p + 1, end - p - 1);
      for (std::size_t v = 0; v < value.size(); ++v) {
        if (value[v] == '<') {
          return at(p + 1 + v, "'<' in an attribute value");
        }
        if (value[v] == '&') {
          const std::size_t length = referenceLength(value, v + 1);
          if (length == 0) {
            return at(p + 1 + v, "a bare '&' in an attribute value");
          }
          v += length;
        }
      }
      p = end + 1;
    }
    rootSeen = true;
    if (text[p] == '/') {
      i = p + 2;
    } else {
      open.push_back(element);
      i = p + 1;
    }
  }
  if (!open.empty()) {
    return "unclosed element " + std::string(open.back());
  }
  return rootSeen ? std::string() : std::string("no root element");
}

}  // namespace vexa::testing
