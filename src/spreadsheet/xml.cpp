#include "spreadsheet/xml.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vexa::sheet {

namespace {

void appendCodeForm(std::string& out, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "_x%04X_", value);
  out += buffer;
}

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void appendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        continue;
      case '<':
        out += "&lt;";
        continue;
      case '>':
        out += "&gt;";
        continue;
      case '"':
        if (attribute) {
          out += "&quot;";
          continue;
        }
        break;
      case '_':
        // "_x0041_" in the text would be read back as "A": protect the "_".
        if (!attribute && i + 6 < text.size() && text[i + 1] == 'x' && isHex(text[i + 2]) &&
            isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]) && text[i + 6] == '_') {
          out += "_x005F_";
          continue;
        }
        break;
      default:
        break;
    }
    if (attribute && byte < 0x20) {
      // Attribute values keep TAB, LF and CR only as character references;
      // the other control characters are not XML characters at all.
      out += c == '\t' ? "&#x9;" : c == '\n' ? "&#xA;" : c == '\r' ? "&#xD;" : " ";
      continue;
    }
    if (byte < 0x20 && c != '\t' && c != '\n') {
      appendCodeForm(out, byte);
      continue;
    }
    // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are not XML characters either.
    if (byte == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(text[i + 2]) == 0xBE ||
         static_cast<unsigned char>(text[i + 2]) == 0xBF)) {
      if (attribute) {
        out += "\xEF\xBF\xBD";
      } else {
        appendCodeForm(out, static_cast<unsigned char>(text[i + 2]) == 0xBE ? 0xFFFE : 0xFFFF);
      }
      i += 2;
      continue;
    }
    out.push_back(c);
  }
}

}  // namespace

void appendEscapedText(std::string& out, std::string_view text) {
  appendEscaped(out, text, false);
}

void appendEscapedAttribute(std::string& out, std::string_view text) {
  appendEscaped(out, text, true);
}

void appendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += '0';
    return;
  }
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

XmlWriter::XmlWriter(Start start) {
  if (start == kDocument) {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  }
}

XmlWriter& XmlWriter::open(std::string_view name) {
  out_ += '<';
  out_ += name;
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, std::string_view value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  appendEscapedAttribute(out_, value);
  out_ += '"';
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, double value) {
  out_ += ' ';
  out_ += name;
  out_ += "=\"";
  appendNumber(out_, value);
  out_ += '"';
  return *this;
}

XmlWriter& XmlWriter::attribute(std::string_view name, int value) {
  return attribute(name, std::string_view(std::to_string(value)));
}

XmlWriter& XmlWriter::close() {
  out_ += '>';
  return *this;
}

XmlWriter& XmlWriter::closeEmpty() {
  out_ += "/>";
  return *this;
}

XmlWriter& XmlWriter::end(std::string_view name) {
  out_ += "</";
  out_ += name;
  out_ += '>';
  return *this;
}

XmlWriter& XmlWriter::text(std::string_view text) {
  appendEscapedText(out_, text);
  return *this;
}

XmlWriter& XmlWriter::value(std::string_view name, std::string_view value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::value(std::string_view name, double value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::value(std::string_view name, int value) {
  return open(name).attribute("val", value).closeEmpty();
}

XmlWriter& XmlWriter::raw(std::string_view markup) {
  out_ += markup;
  return *this;
}

}  // namespace vexa::sheet
