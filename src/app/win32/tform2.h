// The About window on Windows: what the program is for, who made it, and two
// links that the shell opens; modal over the main window.
#pragma once

#include <windows.h>

#include "app/form/form_dialogs.h"

namespace vexa::win32 {

class TForm2 {
 public:
  explicit TForm2(form::FormDialogs& dialogs);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  // Shows the window over `owner`, which does not react until it is closed.
  void showModal(HWND owner);
  // The window while it is shown (tests), else null.
  HWND handle() const { return window_; }

  void Button1Click();  // OK
  void Label5Click();   // the web address
  void Label6Click();   // the mail address

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();

  form::FormDialogs& dialogs_;
  HWND window_ = nullptr;
  HWND label5_ = nullptr;
  HWND label6_ = nullptr;
  HWND tip_ = nullptr;
  HFONT titleFont_ = nullptr;
  HFONT textFont_ = nullptr;
  bool closed_ = true;
};

}  // namespace vexa::win32
