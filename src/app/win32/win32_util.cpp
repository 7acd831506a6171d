#include "app/win32/win32_util.h"

#include <vector>

#include "input/messages.h"
#include "platform/windows_text.h"

namespace vexa::win32 {

std::wstring wide(std::string_view utf8) {
  return platform::wideOf(utf8);
}

std::string utf8(std::wstring_view text) {
  return platform::utf8Of(text);
}

int screenDpi() {
  static const int dpi = [] {
    HDC screen = ::GetDC(nullptr);
    const int value = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int scaled(int designed) {
  return ::MulDiv(designed, screenDpi(), 96);
}

form::Rect scaled(const form::Rect& designed) {
  return {scaled(designed.left), scaled(designed.top), scaled(designed.width),
          scaled(designed.height)};
}

HFONT formFont() {
  // Tahoma at 8 points: -11 pixels at 96 pixels per inch.
  static const HFONT font =
      ::CreateFontW(-::MulDiv(8, screenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, L"Tahoma");
  return font;
}

HFONT aboutFont(int designedPixelHeight) {
  return ::CreateFontW(-scaled(designedPixelHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                       RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_ROMAN, L"Times New Roman");
}

HWND makeControl(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style,
                 int id, const form::Rect& designed, DWORD extendedStyle, HFONT font) {
  const form::Rect at = scaled(designed);
  HWND control = ::CreateWindowExW(
      extendedStyle, windowClass, wide(text).c_str(), WS_CHILD | style, at.left, at.top, at.width,
      at.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : formFont()), FALSE);
  return control;
}

std::string windowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextW(window, text.data(), length + 1);
  return utf8(std::wstring_view(text.data(), static_cast<std::size_t>(std::max(got, 0))));
}

SYSTEMTIME systemTimeOf(const CivilDateTime& value) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(value.year);
  time.wMonth = static_cast<WORD>(value.month);
  time.wDay = static_cast<WORD>(value.day);
  time.wHour = static_cast<WORD>(value.hour);
  time.wMinute = static_cast<WORD>(value.minute);
  time.wSecond = static_cast<WORD>(value.second);
  return time;
}

CivilDateTime civilOf(const SYSTEMTIME& time) {
  CivilDateTime value;
  value.year = time.wYear;
  value.month = time.wMonth;
  value.day = time.wDay;
  value.hour = time.wHour;
  value.minute = time.wMinute;
  value.second = time.wSecond;
  return value;
}

std::wstring programTitle() {
  return wide(kProgramTitle);
}

}  // namespace vexa::win32
