#include "pdf/pdf_canvas.h"

#include <hpdf_objects.h>
#include <hpdf_pages.h>
#include <hpdf_streams.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace vexa::pdf {

namespace {

// Widths are the plot's pixels; on paper a pixel's line is 0.6 point.
constexpr double kLineScale = 0.6;

// The code point of the UTF-8 sequence at `i`, and where the next begins.
std::uint32_t codePointAt(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  const std::size_t end = std::min(i + length, text.size());
  std::uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
  for (std::size_t k = i + 1; k < end; ++k) {
    code = (code << 6) | (static_cast<unsigned char>(text[k]) & 0x3F);
  }
  i = end;
  return code;
}

// A number as the page's content writes it: at most two decimals (three
// for a colour's channel), no trailing zeros. Written from whole hundredths
// (thousandths): a page holds thousands of them.
void appendNumber(std::string& out, double value, int places = 2) {
  const double scale = places == 3 ? 1000 : 100;
  const double scaled = std::round(value * scale);
  if (!(std::fabs(scaled) < 1e15)) {
    out += "0 ";  // no place on a page is so far off
    return;
  }
  auto units = static_cast<long long>(scaled);
  if (units < 0) {
    out += '-';
    units = -units;
  }
  const long long divisor = places == 3 ? 1000 : 100;
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, units / divisor).ptr);
  long long fraction = units % divisor;
  if (fraction != 0) {
    out += '.';
    for (long long unit = divisor / 10; fraction != 0; unit /= 10) {
      out += static_cast<char>('0' + fraction / unit);
      fraction %= unit;
    }
  }
  out += ' ';
}

// A colour's channels and the operator that sets it.
void appendColour(std::string& out, plot::Colour colour, std::string_view op) {
  for (const std::uint8_t channel : {colour.red, colour.green, colour.blue}) {
    appendNumber(out, channel / 255.0, 3);
  }
  out += op;
}

}  // namespace

double PdfFont::width(std::string_view text, double size) const {
  double total = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::uint32_t code = codePointAt(text, i);
    float known = code < widths_.size() ? widths_[code] : -1.0F;
    if (known < 0) {
      // Asked of libharu once a character; the asking also puts its glyph
      // in the font's subset.
      const std::string character(text.substr(start, i - start));
      const HPDF_TextWidth asked =
          HPDF_Font_TextWidth(font_, reinterpret_cast<const HPDF_BYTE*>(character.c_str()),
                              static_cast<HPDF_UINT>(character.size()));
      known = static_cast<float>(asked.width);
      if (code < widths_.size()) {
        widths_[code] = known;
      }
    }
    total += known;
  }
  return total * size / 1000.0;
}

PdfCanvas::PdfCanvas(HPDF_Page page, const PdfFont& font, double size)
    : page_(page), font_(&font), size_(size), height_(HPDF_Page_GetHeight(page)) {
  content_.reserve(1 << 16);
}

void PdfCanvas::useFont(const PdfFont& font, double size) {
  font_ = &font;
  size_ = size;
}

double PdfCanvas::textWidth(std::string_view text) const {
  return font_->width(text, size_);
}

// The page's operators are written here as text and handed to the page's
// content in one piece before each call that libharu writes itself (the
// text objects, the font): a report's thousands of cells cost libharu's own
// formatting of every number otherwise.
void PdfCanvas::flush() {
  if (content_.empty()) {
    return;
  }
  auto* attr = static_cast<HPDF_PageAttr>(static_cast<HPDF_Dict>(page_)->attr);
  HPDF_Stream_Write(attr->stream, reinterpret_cast<const HPDF_BYTE*>(content_.data()),
                    static_cast<HPDF_UINT>(content_.size()));
  content_.clear();
}

void PdfCanvas::graphics() {
  if (inText_) {
    flush();
    HPDF_Page_EndText(page_);
    inText_ = false;
  }
}

void PdfCanvas::rectangle(const plot::Box& box) {
  appendNumber(content_, box.left);
  appendNumber(content_, y(box.bottom()));
  appendNumber(content_, box.width);
  appendNumber(content_, box.height);
  content_ += "re\n";
}

void PdfCanvas::strokeColour(plot::Colour colour) {
  graphics();
  if (stroke_ != colour) {
    appendColour(content_, colour, "RG\n");
    stroke_ = colour;
  }
}

void PdfCanvas::lineWidth(double width) {
  if (width_ != width) {
    appendNumber(content_, width);
    content_ += "w\n";
    width_ = width;
  }
}

void PdfCanvas::fillColour(plot::Colour colour) {
  // A see-through colour on a white page: the colour it shows there.
  const auto blended = [&](std::uint8_t value) {
    return static_cast<std::uint8_t>((value * colour.alpha + 255 * (255 - colour.alpha)) / 255);
  };
  const plot::Colour shown{blended(colour.red), blended(colour.green), blended(colour.blue), 255};
  if (fill_ != shown) {
    appendColour(content_, shown, "rg\n");
    fill_ = shown;
  }
}

void PdfCanvas::fill(const plot::Box& box, plot::Colour colour) {
  if (box.empty()) {
    return;
  }
  graphics();
  fillColour(colour);
  rectangle(box);
  content_ += "f\n";
}

void PdfCanvas::frame(const plot::Box& box, plot::Colour colour) {
  strokeColour(colour);
  lineWidth(0.5);
  rectangle(box);
  content_ += "S\n";
}

void PdfCanvas::line(plot::Point from, plot::Point to, plot::Colour colour, double width) {
  strokeColour(colour);
  lineWidth(width * kLineScale);
  appendNumber(content_, from.x);
  appendNumber(content_, y(from.y));
  content_ += "m ";
  appendNumber(content_, to.x);
  appendNumber(content_, y(to.y));
  content_ += "l S\n";
}

void PdfCanvas::polyline(const std::vector<plot::Point>& points, plot::Colour colour,
                         double width) {
  if (points.size() < 2) {
    return;
  }
  strokeColour(colour);
  lineWidth(width * kLineScale);
  content_ += "1 j\n";  // round joins
  for (std::size_t i = 0; i < points.size(); ++i) {
    appendNumber(content_, points[i].x);
    appendNumber(content_, y(points[i].y));
    content_ += i == 0 ? "m\n" : "l\n";
  }
  content_ += "S\n0 j\n";
}

void PdfCanvas::dots(const std::vector<plot::Point>& centres, double radius, plot::Colour colour) {
  if (centres.empty()) {
    return;
  }
  graphics();
  fillColour(colour);
  // Each dot a square of the circle's size: at a few tenths of a point
  // they print alike.
  const double side = radius * 0.75 * 2;
  for (const plot::Point& centre : centres) {
    rectangle({centre.x - side / 2, centre.y - side / 2, side, side});
  }
  content_ += "f\n";
}

void PdfCanvas::textMode() {
  if (!inText_) {
    flush();
    HPDF_Page_BeginText(page_);
    inText_ = true;
  }
  if (shownFont_ != font_ || shownSize_ != size_) {
    flush();
    HPDF_Page_SetFontAndSize(page_, font_->get(), static_cast<HPDF_REAL>(size_));
    shownFont_ = font_;
    shownSize_ = size_;
  }
}

void PdfCanvas::showText(const double matrix[4], plot::Point at, std::string_view text,
                         plot::Colour colour) {
  // The text's characters are measured first: the measure is what tells the
  // font which glyphs its subset must hold. The text is written as the
  // font's codes (UTF-16, in hexadecimal), at its place.
  font_->width(text, size_);
  fillColour(colour);
  textMode();
  for (int i = 0; i < 4; ++i) {
    appendNumber(content_, matrix[i]);
  }
  appendNumber(content_, at.x);
  appendNumber(content_, y(at.y));
  content_ += "Tm\n<";
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t code = codePointAt(text, i);
    code = code > 0xFFFF ? 0xFFFD : code;  // beyond the font's codes
    for (const int shift : {12, 8, 4, 0}) {
      content_ += kHex[(code >> shift) & 0xF];
    }
  }
  content_ += "> Tj\n";
}

void PdfCanvas::text(plot::Point at, std::string_view text, plot::Colour colour) {
  if (text.empty()) {
    return;
  }
  // Texts one after another share a text object, its font and its colour.
  static constexpr double kUpright[4] = {1, 0, 0, 1};
  showText(kUpright, at, text, colour);
}

void PdfCanvas::verticalText(plot::Point at, std::string_view text, plot::Colour colour) {
  if (text.empty()) {
    return;
  }
  // A quarter turn to the left: the text reads upward.
  static constexpr double kUpward[4] = {0, 1, -1, 0};
  showText(kUpward, at, text, colour);
}

void PdfCanvas::clip(const plot::Box& box) {
  endClip();
  graphics();
  content_ += "q\n";
  rectangle(box);
  content_ += "W n\n";
  clipped_ = true;
}

void PdfCanvas::endClip() {
  graphics();
  if (clipped_) {
    content_ += "Q\n";
    clipped_ = false;
    // The state the clip saved comes back: what was set inside is gone.
    stroke_ = fill_ = std::nullopt;
    width_ = std::nullopt;
    shownFont_ = nullptr;
  }
}

void PdfCanvas::finish() {
  graphics();
  flush();
}

}  // namespace vexa::pdf
