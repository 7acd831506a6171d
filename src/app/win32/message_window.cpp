#include "app/win32/message_window.h"

#include <algorithm>
#include <vector>

#include "app/win32/win32_util.h"

namespace vexa::win32 {

namespace {

constexpr wchar_t kClassName[] = L"VexaMessage";
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;

// The system's font of message boxes, at the screen's DPI.
HFONT messageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return nullptr;
}

struct Message {
  std::wstring text;
  MessageIcon icon = MessageIcon::None;
  HFONT font = nullptr;
  HICON iconHandle = nullptr;
  RECT textBox{};
  POINT iconAt{};
  int iconSize = 0;
  int stripTop = 0;  // where the button's grey strip begins
  bool done = false;
};

LRESULT CALLBACK messageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<Message*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(window, &paint);
      RECT client{};
      ::GetClientRect(window, &client);
      RECT top = client;
      top.bottom = state->stripTop;
      ::FillRect(dc, &top, ::GetSysColorBrush(COLOR_WINDOW));
      RECT strip = client;
      strip.top = state->stripTop;
      ::FillRect(dc, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
      if (state->iconHandle != nullptr) {
        ::DrawIconEx(dc, state->iconAt.x, state->iconAt.y, state->iconHandle, state->iconSize,
                     state->iconSize, 0, nullptr, DI_NORMAL);
      }
      HGDIOBJ was = ::SelectObject(dc, state->font);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      RECT text = state->textBox;
      ::DrawTextW(dc, state->text.c_str(), -1, &text, kTextFormat);
      ::SelectObject(dc, was);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        state->done = true;
      }
      return 0;
    case WM_CLOSE:
      state->done = true;
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void registerClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = messageProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
}

BOOL CALLBACK disableWindow(HWND window, LPARAM disabled) {
  if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    ::EnableWindow(window, FALSE);
    reinterpret_cast<std::vector<HWND>*>(disabled)->push_back(window);
  }
  return TRUE;
}

}  // namespace

SIZE messageTextSize(const std::wstring& text, int room) {
  HFONT font = messageFont();
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ was = ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  RECT box{0, 0, room, 0};
  ::DrawTextW(dc, text.c_str(), -1, &box, kTextFormat | DT_CALCRECT);
  ::SelectObject(dc, was);
  ::ReleaseDC(nullptr, dc);
  if (font != nullptr) {
    ::DeleteObject(font);
  }
  return {box.right - box.left, box.bottom - box.top};
}

void showMessageWindow(HWND owner, const std::wstring& text, const std::wstring& caption,
                       MessageIcon icon) {
  registerClass();
  Message state;
  state.text = text;
  state.icon = icon;
  state.font = messageFont();

  // The work area the box is centred in: the owner's monitor, or the main one.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;
  const int room = std::max<int>((work.right - work.left) * 3 / 4, scaled(200));

  const int margin = scaled(12);
  const SIZE textSize = messageTextSize(text, room);
  if (icon != MessageIcon::None) {
    state.iconHandle =
        ::LoadIconW(nullptr, icon == MessageIcon::Error ? IDI_ERROR : IDI_INFORMATION);
    state.iconSize = ::GetSystemMetrics(SM_CXICON);
  }
  const int textLeft = margin + (state.iconSize > 0 ? state.iconSize + margin : 0);
  const int contentHeight = std::max<int>(textSize.cy, state.iconSize);
  const int textTop = margin + (contentHeight - textSize.cy) / 2;
  state.iconAt = {margin, margin + (contentHeight - state.iconSize) / 2};
  // A few pixels to spare: a glyph may reach past its advance, and the
  // last one of a line would be cut.
  const int textWidth = textSize.cx + scaled(6);
  state.textBox = {textLeft, textTop, textLeft + textWidth, textTop + textSize.cy};
  const int buttonWidth = scaled(88);
  const int buttonHeight = scaled(26);
  state.stripTop = margin * 2 + contentHeight;
  const int clientWidth =
      std::max<int>(textLeft + textWidth + margin * 2, buttonWidth + margin * 2);
  const int stripPadding = scaled(10);
  const int clientHeight = state.stripTop + buttonHeight + 2 * stripPadding;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const DWORD extended = WS_EX_DLGMODALFRAME;
  RECT outer{0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&outer, style, FALSE, extended);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  RECT around = work;
  if (owner != nullptr && ::IsWindowVisible(owner)) {
    ::GetWindowRect(owner, &around);
  }
  const int left = std::clamp<int>((around.left + around.right - width) / 2, work.left,
                                   std::max<int>(work.left, work.right - width));
  const int top = std::clamp<int>((around.top + around.bottom - height) / 2, work.top,
                                  std::max<int>(work.top, work.bottom - height));

  // Modal: the owner, or every window of the program, waits for the box.
  std::vector<HWND> disabled;
  if (owner != nullptr) {
    disableWindow(owner, reinterpret_cast<LPARAM>(&disabled));
  } else {
    ::EnumThreadWindows(::GetCurrentThreadId(), disableWindow, reinterpret_cast<LPARAM>(&disabled));
  }
  HWND window = ::CreateWindowExW(extended, kClassName, caption.c_str(), style, left, top, width,
                                  height, owner, nullptr, ::GetModuleHandleW(nullptr), &state);
  if (window == nullptr) {
    for (HWND each : disabled) {
      ::EnableWindow(each, TRUE);
    }
    if (state.font != nullptr) {
      ::DeleteObject(state.font);
    }
    return;
  }
  HWND button = ::CreateWindowExW(
      0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
      clientWidth - margin - buttonWidth, state.stripTop + stripPadding, buttonWidth, buttonHeight,
      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ::GetModuleHandleW(nullptr),
      nullptr);
  ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), TRUE);
  ::MessageBeep(icon == MessageIcon::Error         ? MB_ICONERROR
                : icon == MessageIcon::Information ? MB_ICONINFORMATION
                                                   : MB_OK);
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  ::SetFocus(button);

  MSG message{};
  bool quit = false;
  while (!state.done) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (!::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  // The windows it disabled take the focus back before the box goes.
  for (HWND each : disabled) {
    ::EnableWindow(each, TRUE);
  }
  ::DestroyWindow(window);
  if (state.font != nullptr) {
    ::DeleteObject(state.font);
  }
  if (quit) {
    ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that runs the program
  }
}

}  // namespace vexa::win32
