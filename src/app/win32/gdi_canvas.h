// The preview's primitives on a GDI device context, in the form's font.
#pragma once

#include <windows.h>

#include "app/form/preview_plot.h"

namespace vexa::win32 {

class GdiCanvas final : public form::Canvas {
 public:
  GdiCanvas(HDC dc, HFONT font);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  double textWidth(std::string_view text) const override;
  double lineHeight() const override { return lineHeight_; }
  double ascent() const override { return ascent_; }
  void fill(const form::Box& box, form::Colour colour) override;
  void frame(const form::Box& box, form::Colour colour) override;
  void line(form::Point from, form::Point to, form::Colour colour, double width) override;
  void polyline(const std::vector<form::Point>& points, form::Colour colour, double width) override;
  void dots(const std::vector<form::Point>& centres, double radius, form::Colour colour) override;
  void text(form::Point at, std::string_view text, form::Colour colour) override;
  void verticalText(form::Point at, std::string_view text, form::Colour colour) override;
  void clip(const form::Box& box) override;
  void endClip() override;

 private:
  HDC dc_;
  HGDIOBJ previousFont_;
  double lineHeight_ = 13;
  double ascent_ = 11;
};

// The font's measures without a canvas, for laying the plot out.
class GdiMeasure final : public form::TextMeasure {
 public:
  explicit GdiMeasure(HFONT font);
  double textWidth(std::string_view text) const override;
  double lineHeight() const override { return lineHeight_; }
  double ascent() const override { return ascent_; }

 private:
  HFONT font_;
  double lineHeight_ = 13;
  double ascent_ = 11;
};

}  // namespace vexa::win32
