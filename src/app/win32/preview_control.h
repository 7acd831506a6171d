// The preview under the form as a Win32 control: the presenter's plot drawn
// with GDI, double-buffered (the picture kept as a bitmap, the band and the
// readout painted over it), and the mouse handed to the presenter.
#pragma once

#include <windows.h>

#include <memory>

#include "app/form/main_form.h"
#include "app/win32/gdi_canvas.h"

namespace vexa::win32 {

class PreviewControl {
 public:
  PreviewControl(HWND parent, int id, form::MainForm& presenter);
  ~PreviewControl();
  PreviewControl(const PreviewControl&) = delete;
  PreviewControl& operator=(const PreviewControl&) = delete;

  HWND handle() const { return window_; }
  // Repaints now (a moved band, a ticked box).
  void refresh();

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void paint();
  form::Palette palette() const;

  form::MainForm& presenter_;
  HWND window_ = nullptr;
  GdiMeasure measure_;
  HBITMAP picture_ = nullptr;
  HBITMAP frame_ = nullptr;  // the picture with the band, before the screen gets it
  unsigned pictureVersion_ = ~0u;
  SIZE pictureSize_{0, 0};
  bool tracking_ = false;
};

}  // namespace vexa::win32
