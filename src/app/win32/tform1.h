// The main window on Windows: native controls at the designed geometry
// (scaled by the monitor's DPI), in Tahoma 8 pt, in the designed tab order,
// a thin view over the form's rules (app/form/); the preview under the form,
// files dropped on the window, Ctrl+G and the window's menu for the preview.
#pragma once

#include <windows.h>
// clang-format off
#include <shellapi.h>
// clang-format on

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/form/main_form.h"
#include "app/win32/preview_control.h"
#include "app/win32/win32_dialogs.h"

namespace vexa::win32 {

class TForm2;

class TForm1 final : private form::MainFormView {
 public:
  // Creates the window, hidden; `dialogs` are the presenter's (Win32Dialogs,
  // owned by this window, in the program; scripted ones in tests).
  explicit TForm1(form::FormDialogs& dialogs);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  HWND handle() const { return window_; }
  form::MainForm& presenter() { return *presenter_; }
  void setAboutWindow(TForm2* about) { Form2 = about; }

  // The window's controls by the presenter's names, and the preview.
  HWND control(form::ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
  HWND preview() const { return preview_->handle(); }

  // Keyboard navigation and Ctrl+G for the message loop: true when the
  // message was the window's.
  bool translate(MSG& message);

  // The designer names, for the controls a caller wants by name.
  HWND Edit1() const { return control(form::ControlId::Edit1); }
  HWND Button1() const { return control(form::ControlId::Button1); }
  HWND Button2() const { return control(form::ControlId::Button2); }
  HWND Button3() const { return control(form::ControlId::Button3); }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK groupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  void command(int id, int notification);
  void pickerChanged(int id);
  void dropped(HDROP drop);
  void showMenu(int x, int y);
  void applyWindowSize(const form::FormState& state);
  void layOutPreview();

  // form::MainFormView
  void showState(const form::FormState& state) override;
  void paintProgressNow(const form::FormState& state) override;
  void previewChanged() override;
  void showAbout() override;

  std::unique_ptr<form::MainForm> presenter_;
  HWND window_ = nullptr;
  std::array<HWND, form::kControlCount> controls_{};
  std::unique_ptr<PreviewControl> preview_;
  TForm2* Form2 = nullptr;
  bool rendering_ = false;
  std::optional<form::FormState> shown_;  // what the controls show now
  bool previewInView_ = false;
  int designedClientHeight_ = 0;
  int previewTop_ = 0;
};

}  // namespace vexa::win32
