// The windows' message boxes on Windows: a text, an optional icon and an OK
// button, in a box as wide as the text's longest line (up to three quarters
// of the screen), so that no line is broken. The system's MessageBoxW breaks
// lines at a width of its own and, under some systems, cuts the last one.
#pragma once

#include <windows.h>

#include <string>

namespace vexa::win32 {

enum class MessageIcon { None, Error, Information };

// Shows the box and waits until it is closed (OK, Enter, Escape or the
// close button). With an owner, the owner is disabled meanwhile; without
// one, every window of the program is.
void showMessageWindow(HWND owner, const std::wstring& text, const std::wstring& caption,
                       MessageIcon icon);

// The size of the box's text in pixels, in the message font, as the box
// lays it out: each line whole where it fits in `room`.
SIZE messageTextSize(const std::wstring& text, int room);

}  // namespace vexa::win32
