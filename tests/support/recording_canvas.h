// A canvas that records what a chart asks it to draw, for tests of the
// plot and of the preview: texts (a character six units wide), lines, fills
// and the dots of the marks.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "plot/canvas.h"

namespace vexa::testing {

using plot::Box;
using plot::Colour;
using plot::Point;

class RecordingCanvas final : public plot::Canvas {
 public:
  double textWidth(std::string_view text) const override {
    return 6.0 * static_cast<double>(text.size());
  }
  double lineHeight() const override { return 13; }
  double ascent() const override { return 10; }
  void fill(const Box& box, Colour colour) override { fills.push_back({box, colour}); }
  void frame(const Box&, Colour) override {}
  void line(Point from, Point to, Colour colour, double) override {
    lines.push_back({{from, to}, colour});
  }
  void polyline(const std::vector<Point>& points, Colour colour, double) override {
    polylines.push_back({points, colour});
  }
  void dots(const std::vector<Point>& centres, double, Colour colour) override {
    dotted.push_back({centres, colour});
  }
  void text(Point, std::string_view text, Colour) override { texts.emplace_back(text); }
  void verticalText(Point, std::string_view text, Colour) override {
    texts.emplace_back(text);
    upward.emplace_back(text);
  }
  void clip(const Box&) override {}
  void endClip() override {}

  std::vector<std::pair<Box, Colour>> fills;
  std::vector<std::pair<std::pair<Point, Point>, Colour>> lines;
  std::vector<std::pair<std::vector<Point>, Colour>> polylines;
  std::vector<std::pair<std::vector<Point>, Colour>> dotted;
  std::vector<std::string> texts;
  std::vector<std::string> upward;  // the texts written reading upward
  bool wrote(const std::string& text) const {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

}  // namespace vexa::testing
