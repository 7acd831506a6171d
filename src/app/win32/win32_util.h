// What the Win32 windows share: UTF-8 texts as the system's wide strings,
// the designed pixels scaled to the monitor's DPI, the designed fonts, and
// child controls made at the designed geometry.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/form/geometry.h"
#include "input/datetime.h"

namespace vexa::win32 {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);

// Pixels per inch of the screen; the forms were designed at 96.
int screenDpi();
// A designed length in pixels at the screen's DPI.
int scaled(int designed);
form::Rect scaled(const form::Rect& designed);

// Tahoma 8 pt (the forms) and Times New Roman bold at a designed height in
// pixels (the About window's labels), at the screen's DPI.
HFONT formFont();
HFONT aboutFont(int designedPixelHeight);

// A child window of `parent` with a control id, at the designed geometry,
// in the form's font.
HWND makeControl(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style,
                 int id, const form::Rect& designed, DWORD extendedStyle = 0, HFONT font = nullptr);

// The text of a window, as UTF-8.
std::string windowText(HWND window);

// A date and time as the date and time pickers hold them, and back.
SYSTEMTIME systemTimeOf(const CivilDateTime& value);
CivilDateTime civilOf(const SYSTEMTIME& time);

// The program's title as the windows' captions and message boxes have it.
std::wstring programTitle();

}  // namespace vexa::win32
