#include "app/win32/tform2.h"

// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "app/form/about.h"
#include "app/form/geometry.h"
#include "app/win32/win32_util.h"

namespace vexa::win32 {

namespace {

constexpr wchar_t kClass[] = L"TForm2";
enum : int { kLabel1 = 1, kLabel2, kLabel3, kLabel4, kLabel5, kLabel6, kButton1 };

}  // namespace

TForm2::TForm2(form::FormDialogs& dialogs) : dialogs_(dialogs) {
  static const bool registered = [] {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = &TForm2::procedure;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    kind.lpszClassName = kClass;
    return ::RegisterClassExW(&kind) != 0;
  }();
  (void)registered;
  titleFont_ = aboutFont(16);
  textFont_ = aboutFont(13);
}

TForm2::~TForm2() {
  if (window_ != nullptr) {
    ::DestroyWindow(window_);
  }
  ::DeleteObject(titleFont_);
  ::DeleteObject(textFont_);
}

void TForm2::createControls() {
  // Every label but the word-wrapped description is as wide as its text,
  // from its designed place.
  const auto label = [&](int id, const form::Rect& at, const char* text, HFONT font,
                         DWORD style = SS_LEFT | SS_NOPREFIX) {
    HWND made = makeControl(window_, WC_STATICW, text, style | WS_VISIBLE, id, at, 0, font);
    if (id != kLabel2) {
      const std::wstring caption = wide(text);
      HDC dc = ::GetDC(made);
      HGDIOBJ was = ::SelectObject(dc, font);
      SIZE extent{};
      ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
      ::SelectObject(dc, was);
      ::ReleaseDC(made, dc);
      ::SetWindowPos(made, nullptr, 0, 0, extent.cx + 1,
                     std::max<int>(extent.cy, scaled(at.height)), SWP_NOMOVE | SWP_NOZORDER);
    }
    return made;
  };
  label(kLabel1, layout::AboutLabel1, form::kAboutTitleLine, titleFont_);
  label(kLabel2, layout::AboutLabel2, form::kAboutDescription, textFont_);
  label(kLabel4, layout::AboutLabel4, form::kMakerName, textFont_);
  label(kLabel3, layout::AboutLabel3, form::kAboutDate, textFont_);
  label5_ = label(kLabel5, layout::AboutLabel5, form::kMakerWeb, textFont_,
                  SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
  label6_ = label(kLabel6, layout::AboutLabel6, form::kMakerMail, textFont_,
                  SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
  HWND ok = makeControl(window_, WC_BUTTONW, form::kAboutOk,
                        BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, kButton1, layout::AboutButton1);
  // The mail link's hint shows the address.
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
  std::wstring hint = wide(form::kMakerMail);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(label6_);
  tool.lpszText = hint.data();
  ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SetFocus(ok);
}

void TForm2::showModal(HWND owner) {
  const form::Rect client =
      scaled(form::Rect{0, 0, layout::kAboutClientWidth, layout::kAboutClientHeight});
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
  RECT area{0, 0, client.width, client.height};
  ::AdjustWindowRectEx(&area, style, FALSE, WS_EX_DLGMODALFRAME);
  RECT ownerArea{};
  ::GetWindowRect(owner, &ownerArea);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  window_ = ::CreateWindowExW(
      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass, wide(form::kAboutCaption).c_str(), style,
      ownerArea.left + (ownerArea.right - ownerArea.left - width) / 2, ownerArea.top + 40, width,
      height, owner, nullptr, ::GetModuleHandleW(nullptr), this);
  createControls();
  closed_ = false;
  ::EnableWindow(owner, FALSE);
  ::ShowWindow(window_, SW_SHOW);
  MSG message{};
  while (!closed_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(window_, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  ::EnableWindow(owner, TRUE);
  ::SetActiveWindow(owner);
  if (window_ != nullptr) {
    ::DestroyWindow(window_);
  }
  if (message.message == WM_QUIT) {
    ::PostQuitMessage(static_cast<int>(message.wParam));
  }
}

void TForm2::Button1Click() {
  closed_ = true;
}

void TForm2::Label5Click() {
  form::openMakerWeb(dialogs_);
}

void TForm2::Label6Click() {
  form::openMakerMail(dialogs_);
}

LRESULT CALLBACK TForm2::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TForm2*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm2*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT TForm2::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kButton1 || LOWORD(wParam) == IDCANCEL) {
        Button1Click();
      } else if (LOWORD(wParam) == kLabel5 && HIWORD(wParam) == STN_CLICKED) {
        Label5Click();
      } else if (LOWORD(wParam) == kLabel6 && HIWORD(wParam) == STN_CLICKED) {
        Label6Click();
      }
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const HWND label = reinterpret_cast<HWND>(lParam);
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      ::SetTextColor(dc, label == label5_ || label == label6_ ? RGB(0, 0, 255)
                                                              : ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == label5_ || reinterpret_cast<HWND>(wParam) == label6_) {
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
        return TRUE;
      }
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_CLOSE:
      Button1Click();
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      closed_ = true;
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace vexa::win32
