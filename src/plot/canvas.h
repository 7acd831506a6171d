// What a chart is drawn with: a few primitives that each surface gives (Qt's
// painter, Windows' GDI, a PDF page), and the measures of its font.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vexa::plot {

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  bool operator==(const Colour&) const = default;
};

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Box {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  double right() const { return left + width; }
  double bottom() const { return top + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  bool contains(Point p) const {
    return p.x >= left && p.x <= right() && p.y >= top && p.y <= bottom();
  }
  bool operator==(const Box&) const = default;
};

// The measures of the font a chart is written with.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual double textWidth(std::string_view text) const = 0;  // UTF-8
  virtual double lineHeight() const = 0;
  virtual double ascent() const = 0;
};

class Canvas : public TextMeasure {
 public:
  virtual void fill(const Box& box, Colour colour) = 0;   // alpha blends
  virtual void frame(const Box& box, Colour colour) = 0;  // a one-pixel outline
  virtual void line(Point from, Point to, Colour colour, double width) = 0;
  virtual void polyline(const std::vector<Point>& points, Colour colour, double width) = 0;
  virtual void dots(const std::vector<Point>& centres, double radius, Colour colour) = 0;
  // Text whose baseline starts at `at`.
  virtual void text(Point at, std::string_view text, Colour colour) = 0;
  // Text that reads upward (an axis title), its baseline starting at `at`.
  virtual void verticalText(Point at, std::string_view text, Colour colour) = 0;
  // Drawing stays inside `box` until clipping ends.
  virtual void clip(const Box& box) = 0;
  virtual void endClip() = 0;
};

}  // namespace vexa::plot
