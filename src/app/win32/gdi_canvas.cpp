#include "app/win32/gdi_canvas.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/win32/win32_util.h"

namespace vexa::win32 {

namespace {

COLORREF rgb(form::Colour colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

int pixel(double value) {
  return static_cast<int>(std::lround(value));
}

RECT rectOf(const form::Box& box) {
  return RECT{pixel(box.left), pixel(box.top), pixel(box.right()), pixel(box.bottom())};
}

double widthIn(HDC dc, std::string_view text) {
  const std::wstring characters = wide(text);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, characters.c_str(), static_cast<int>(characters.size()), &size);
  return size.cx;
}

}  // namespace

GdiCanvas::GdiCanvas(HDC dc, HFONT font) : dc_(dc), previousFont_(::SelectObject(dc, font)) {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc_, &metrics);
  lineHeight_ = metrics.tmHeight;
  ascent_ = metrics.tmAscent;
  ::SetBkMode(dc_, TRANSPARENT);
  ::SetTextAlign(dc_, TA_BASELINE | TA_LEFT);
}

GdiCanvas::~GdiCanvas() {
  ::SelectObject(dc_, previousFont_);
}

double GdiCanvas::textWidth(std::string_view text) const {
  return widthIn(dc_, text);
}

void GdiCanvas::fill(const form::Box& box, form::Colour colour) {
  const RECT area = rectOf(box);
  if (colour.alpha == 255) {
    HBRUSH brush = ::CreateSolidBrush(rgb(colour));
    ::FillRect(dc_, &area, brush);
    ::DeleteObject(brush);
    return;
  }
  // A see-through fill: one pixel of the colour, blended over the area.
  HDC source = ::CreateCompatibleDC(dc_);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 1;
  info.bmiHeader.biHeight = 1;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dot = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dot != nullptr && bits != nullptr) {
    *static_cast<std::uint32_t*>(bits) = (static_cast<std::uint32_t>(colour.red) << 16) |
                                         (static_cast<std::uint32_t>(colour.green) << 8) |
                                         colour.blue;
    HGDIOBJ previous = ::SelectObject(source, dot);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, colour.alpha, 0};
    ::AlphaBlend(dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
                 0, 0, 1, 1, blend);
    ::SelectObject(source, previous);
    ::DeleteObject(dot);
  }
  ::DeleteDC(source);
}

void GdiCanvas::frame(const form::Box& box, form::Colour colour) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, rgb(colour));
  HGDIOBJ previousPen = ::SelectObject(dc_, pen);
  HGDIOBJ previousBrush = ::SelectObject(dc_, ::GetStockObject(NULL_BRUSH));
  const RECT area = rectOf(box);
  ::Rectangle(dc_, area.left, area.top, area.right + 1, area.bottom + 1);
  ::SelectObject(dc_, previousBrush);
  ::SelectObject(dc_, previousPen);
  ::DeleteObject(pen);
}

void GdiCanvas::line(form::Point from, form::Point to, form::Colour colour, double width) {
  HPEN pen = ::CreatePen(PS_SOLID, std::max(1, pixel(width)), rgb(colour));
  HGDIOBJ previous = ::SelectObject(dc_, pen);
  ::MoveToEx(dc_, pixel(from.x), pixel(from.y), nullptr);
  ::LineTo(dc_, pixel(to.x), pixel(to.y));
  ::SelectObject(dc_, previous);
  ::DeleteObject(pen);
}

void GdiCanvas::polyline(const std::vector<form::Point>& points, form::Colour colour,
                         double width) {
  if (points.size() < 2) {
    return;
  }
  std::vector<POINT> line;
  line.reserve(points.size());
  for (const form::Point& point : points) {
    const POINT here{pixel(point.x), pixel(point.y)};
    if (line.empty() || line.back().x != here.x || line.back().y != here.y) {
      line.push_back(here);
    }
  }
  HPEN pen = ::CreatePen(PS_SOLID, std::max(1, pixel(width)), rgb(colour));
  HGDIOBJ previous = ::SelectObject(dc_, pen);
  ::Polyline(dc_, line.data(), static_cast<int>(line.size()));
  ::SelectObject(dc_, previous);
  ::DeleteObject(pen);
}

void GdiCanvas::dots(const std::vector<form::Point>& centres, double radius, form::Colour colour) {
  HPEN pen = ::CreatePen(PS_SOLID, 1, rgb(colour));
  HBRUSH brush = ::CreateSolidBrush(rgb(colour));
  HGDIOBJ previousPen = ::SelectObject(dc_, pen);
  HGDIOBJ previousBrush = ::SelectObject(dc_, brush);
  const int r = std::max(1, pixel(radius));
  for (const form::Point& centre : centres) {
    ::Ellipse(dc_, pixel(centre.x) - r, pixel(centre.y) - r, pixel(centre.x) + r + 1,
              pixel(centre.y) + r + 1);
  }
  ::SelectObject(dc_, previousBrush);
  ::SelectObject(dc_, previousPen);
  ::DeleteObject(brush);
  ::DeleteObject(pen);
}

void GdiCanvas::text(form::Point at, std::string_view text, form::Colour colour) {
  const std::wstring characters = wide(text);
  ::SetTextColor(dc_, rgb(colour));
  ::TextOutW(dc_, pixel(at.x), pixel(at.y), characters.c_str(),
             static_cast<int>(characters.size()));
}

void GdiCanvas::verticalText(form::Point at, std::string_view text, form::Colour colour) {
  // The canvas' font turned a quarter left.
  LOGFONTW turned{};
  ::GetObjectW(::GetCurrentObject(dc_, OBJ_FONT), sizeof turned, &turned);
  turned.lfEscapement = turned.lfOrientation = 900;
  HFONT font = ::CreateFontIndirectW(&turned);
  HGDIOBJ previous = ::SelectObject(dc_, font);
  this->text(at, text, colour);
  ::SelectObject(dc_, previous);
  ::DeleteObject(font);
}

void GdiCanvas::clip(const form::Box& box) {
  const RECT area = rectOf(box);
  HRGN region = ::CreateRectRgn(area.left, area.top, area.right, area.bottom);
  ::SelectClipRgn(dc_, region);
  ::DeleteObject(region);
}

void GdiCanvas::endClip() {
  ::SelectClipRgn(dc_, nullptr);
}

GdiMeasure::GdiMeasure(HFONT font) : font_(font) {
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, font_);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(screen, &metrics);
  lineHeight_ = metrics.tmHeight;
  ascent_ = metrics.tmAscent;
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
}

double GdiMeasure::textWidth(std::string_view text) const {
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, font_);
  const double width = widthIn(screen, text);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  return width;
}

}  // namespace vexa::win32
