// A page of a PDF document as a canvas of the plot, over libharu: points
// from the page's top left corner, y downward, in the report's font.
#pragma once

#include <hpdf.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/canvas.h"

namespace vexa::pdf {

// A font of the document, and the widths of its characters, each asked of
// libharu once: a report measures every text of its tables a few times.
class PdfFont {
 public:
  explicit PdfFont(HPDF_Font font) : font_(font), widths_(0x10000, -1.0F) {}
  HPDF_Font get() const { return font_; }
  // The width of a UTF-8 text at `size` points.
  double width(std::string_view text, double size) const;

 private:
  HPDF_Font font_;
  mutable std::vector<float> widths_;  // by code point, in thousandths of the size; -1: not asked
};

class PdfCanvas final : public plot::Canvas {
 public:
  // `font` at `size` points on `page`.
  PdfCanvas(HPDF_Page page, const PdfFont& font, double size);

  double textWidth(std::string_view text) const override;
  double lineHeight() const override { return size_ * 1.2; }
  double ascent() const override { return size_ * 0.9; }
  void fill(const plot::Box& box, plot::Colour colour) override;
  void frame(const plot::Box& box, plot::Colour colour) override;
  void line(plot::Point from, plot::Point to, plot::Colour colour, double width) override;
  void polyline(const std::vector<plot::Point>& points, plot::Colour colour, double width) override;
  void dots(const std::vector<plot::Point>& centres, double radius, plot::Colour colour) override;
  void text(plot::Point at, std::string_view text, plot::Colour colour) override;
  void verticalText(plot::Point at, std::string_view text, plot::Colour colour) override;
  void clip(const plot::Box& box) override;
  void endClip() override;

  // The font for the texts that follow (a bold one for headings).
  void useFont(const PdfFont& font, double size);
  // Ends what the page's last texts began; before the page is done.
  void finish();

 private:
  double y(double top) const { return height_ - top; }
  void showText(const double matrix[4], plot::Point at, std::string_view text, plot::Colour colour);
  void flush();  // the operators written so far into the page's content
  void rectangle(const plot::Box& box);
  void graphics();  // out of a text object
  void textMode();  // into one, in the current font
  void strokeColour(plot::Colour colour);
  void fillColour(plot::Colour colour);
  void lineWidth(double width);

  HPDF_Page page_;
  const PdfFont* font_;
  double size_;
  double height_;
  bool clipped_ = false;
  std::string content_;  // operators not yet in the page's content
  // What the page's content has set, so that it is set again only when it
  // changes: a report writes thousands of cells.
  bool inText_ = false;
  std::optional<plot::Colour> stroke_;
  std::optional<plot::Colour> fill_;
  std::optional<double> width_;
  const PdfFont* shownFont_ = nullptr;
  double shownSize_ = 0;
};

}  // namespace vexa::pdf
