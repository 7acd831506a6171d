#include "app/win32/preview_control.h"

#include <windowsx.h>

#include "app/win32/win32_util.h"

namespace vexa::win32 {

namespace {

constexpr wchar_t kClass[] = L"VexaPreview";

form::Colour colourOf(COLORREF colour) {
  return {GetRValue(colour), GetGValue(colour), GetBValue(colour), 255};
}

}  // namespace

PreviewControl::PreviewControl(HWND parent, int id, form::MainForm& presenter)
    : presenter_(presenter), measure_(formFont()) {
  static const bool registered = [] {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    kind.lpfnWndProc = &PreviewControl::procedure;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
    kind.lpszClassName = kClass;
    return ::RegisterClassExW(&kind) != 0;
  }();
  (void)registered;
  window_ = ::CreateWindowExW(0, kClass, L"", WS_CHILD, 0, 0, 10, 10, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), this);
  presenter_.preview().setMeasure(&measure_);
}

PreviewControl::~PreviewControl() {
  presenter_.preview().setMeasure(nullptr);
  for (HBITMAP bitmap : {picture_, frame_}) {
    if (bitmap != nullptr) {
      ::DeleteObject(bitmap);
    }
  }
}

void PreviewControl::refresh() {
  ::InvalidateRect(window_, nullptr, FALSE);
  ::UpdateWindow(window_);
}

form::Palette PreviewControl::palette() const {
  return {colourOf(::GetSysColor(COLOR_BTNFACE)), colourOf(::GetSysColor(COLOR_WINDOWTEXT))};
}

LRESULT CALLBACK PreviewControl::procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PreviewControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) {
    if (self != nullptr && message == WM_NCCREATE) {
      self->window_ = window;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT PreviewControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  form::PreviewPlot& plot = presenter_.preview();
  switch (message) {
    case WM_SIZE:
      plot.setSize(LOWORD(lParam), HIWORD(lParam));
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole, double-buffered
    case WM_PAINT:
      paint();
      return 0;
    case WM_LBUTTONDOWN:
      if (plot.hasData() && plot.plotBox().contains({static_cast<double>(GET_X_LPARAM(lParam)),
                                                     static_cast<double>(GET_Y_LPARAM(lParam))})) {
        ::SetCapture(window_);
        presenter_.previewPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      }
      return 0;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
      }
      presenter_.previewMove(GET_X_LPARAM(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (plot.dragging()) {
        ::ReleaseCapture();
        presenter_.previewRelease(GET_X_LPARAM(lParam));
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      presenter_.previewDoubleClick();
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      presenter_.previewLeave();
      return 0;
    case WM_CONTEXTMENU:
      // The window's menu (the preview's switch) is the parent's.
      return ::SendMessageW(::GetParent(window_), message, wParam, lParam);
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void PreviewControl::paint() {
  PAINTSTRUCT paint{};
  HDC screen = ::BeginPaint(window_, &paint);
  RECT client{};
  ::GetClientRect(window_, &client);
  const SIZE size{std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)};
  const form::PreviewPlot& plot = presenter_.preview();
  const form::Palette colours = palette();
  if (picture_ == nullptr || pictureSize_.cx != size.cx || pictureSize_.cy != size.cy) {
    for (HBITMAP* bitmap : {&picture_, &frame_}) {
      if (*bitmap != nullptr) {
        ::DeleteObject(*bitmap);
      }
      *bitmap = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
    }
    pictureSize_ = size;
    pictureVersion_ = ~0u;
  }

  // The picture: drawn again only when the plot changed or the size did.
  HDC pictureDc = ::CreateCompatibleDC(screen);
  HGDIOBJ previousPicture = ::SelectObject(pictureDc, picture_);
  if (pictureVersion_ != plot.pictureVersion()) {
    GdiCanvas canvas(pictureDc, formFont());
    plot.paintPicture(canvas, colours);
    pictureVersion_ = plot.pictureVersion();
  }
  // The frame: the picture, the band and the readout, then onto the screen.
  HDC frameDc = ::CreateCompatibleDC(screen);
  HGDIOBJ previousFrame = ::SelectObject(frameDc, frame_);
  ::BitBlt(frameDc, 0, 0, size.cx, size.cy, pictureDc, 0, 0, SRCCOPY);
  {
    GdiCanvas canvas(frameDc, formFont());
    plot.paintOverlay(canvas, colours);
  }
  ::BitBlt(screen, 0, 0, size.cx, size.cy, frameDc, 0, 0, SRCCOPY);
  ::SelectObject(frameDc, previousFrame);
  ::SelectObject(pictureDc, previousPicture);
  ::DeleteDC(frameDc);
  ::DeleteDC(pictureDc);
  ::EndPaint(window_, &paint);
}

}  // namespace vexa::win32
