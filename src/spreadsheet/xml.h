// A tiny XML writer for the package parts: text and attribute escaping that
// keeps every part well-formed whatever the cells hold.
#pragma once

#include <string>
#include <string_view>

namespace vexa::sheet {

// Appends `text` as element content: & < > escaped; characters that XML 1.0
// does not allow (control characters, U+FFFE, U+FFFF) and CR written in the
// spreadsheet's "_xHHHH_" form, and a literal "_xHHHH_" protected likewise.
// Bytes that are not valid UTF-8 become U+FFFD: the part stays valid UTF-8
// whatever the text holds.
void appendEscapedText(std::string& out, std::string_view text);

// Appends `text` as an attribute value (inside double quotes), likewise valid
// UTF-8 and XML characters only.
void appendEscapedAttribute(std::string& out, std::string_view text);

// Appends an integer in decimal.
void appendInteger(std::string& out, long long value);

// Appends a number in its shortest exact form ("21.5", "44198.43090277778").
void appendNumber(std::string& out, double value);

class XmlWriter {
 public:
  enum Start { kDocument, kFragment };
  // A document starts with the XML declaration; a fragment has none.
  explicit XmlWriter(Start start = kDocument);

  // <name  — attributes may follow, then close() or closeEmpty().
  XmlWriter& open(std::string_view name);
  XmlWriter& attribute(std::string_view name, std::string_view value);
  XmlWriter& attribute(std::string_view name, double value);
  XmlWriter& attribute(std::string_view name, int value);
  XmlWriter& close();                     // >
  XmlWriter& closeEmpty();                // />
  XmlWriter& end(std::string_view name);  // </name>
  XmlWriter& text(std::string_view text);
  // <name val="value"/>, the chart parts' usual form.
  XmlWriter& value(std::string_view name, std::string_view value);
  XmlWriter& value(std::string_view name, double value);
  XmlWriter& value(std::string_view name, int value);
  XmlWriter& raw(std::string_view markup);

  std::string& str() { return out_; }

 private:
  std::string out_;
};

}  // namespace vexa::sheet
