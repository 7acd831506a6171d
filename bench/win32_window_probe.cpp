// win32_window_probe EXPORT [RUNS]: the Win32 main window with an export,
// timed as the user meets it: Open to the preview drawn, a ticked box to the
// next frame, and the band moved one step to the next frame with limits set
// (the median of RUNS of each, in milliseconds). Run under Wine on a display (Xvfb):
//   xvfb-run -a scripts/wine.sh build/windows/bench/win32_window_probe.exe FILE
#include <windows.h>

// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/win32/tform1.h"
#include "platform/files.h"
#include "support/form_doubles.h"

namespace {

double milliseconds(const std::function<void()>& step) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER start{};
  LARGE_INTEGER end{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  step();
  ::QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void pump() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace

int main() {
  const std::vector<std::string> arguments = vexa::platform::programArguments(0, nullptr);
  if (arguments.empty()) {
    std::fprintf(stderr, "usage: win32_window_probe EXPORT [RUNS]\n");
    return 2;
  }
  const int runs = arguments.size() > 1 ? std::max(std::atoi(arguments[1].c_str()), 1) : 9;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  vexa::testing::ScriptedFormDialogs dialogs;
  vexa::win32::TForm1 form(dialogs);
  vexa::form::MainForm& presenter = form.presenter();
  ::ShowWindow(form.handle(), SW_SHOWNORMAL);
  pump();

  std::vector<double> open;
  for (int i = 0; i < runs; ++i) {
    open.push_back(milliseconds([&] {
      presenter.openFile(arguments[0]);
      ::UpdateWindow(form.preview());
    }));
    pump();
  }
  if (!dialogs.messages.empty() &&
      dialogs.messages.back().kind != vexa::testing::FormMessage::Plain) {
    std::fprintf(stderr, "%s\n", dialogs.messages.back().text.c_str());
    return 1;
  }
  for (const auto box : {vexa::form::ControlId::CheckBox4, vexa::form::ControlId::CheckBox5}) {
    presenter.setChecked(box, true);
  }
  pump();

  std::vector<double> tick;
  for (int i = 0; i < runs; ++i) {
    const bool ticked = presenter.state()[vexa::form::ControlId::CheckBox4].checked;
    tick.push_back(milliseconds([&] {
      presenter.setChecked(vexa::form::ControlId::CheckBox4, !ticked);
      ::UpdateWindow(form.preview());
    }));
  }

  // The band one pixel further each time, through the end time picker, with
  // limits on the temperature: the band's statistics count its excursions.
  presenter.setLimitText(vexa::form::ControlId::LimitLow, "15");
  presenter.setLimitText(vexa::form::ControlId::LimitHigh, "25");
  const vexa::form::PreviewPlot& plot = presenter.preview();
  if (plot.limits().empty() || plot.limits()[0].empty()) {
    std::fprintf(stderr, "the limits did not reach the preview\n");
    return 1;
  }
  const double step = (plot.data().last - plot.data().first) / plot.plotBox().width;
  double end = plot.data().first + (plot.data().last - plot.data().first) / 2;
  std::vector<double> band;
  for (int i = 0; i < runs * 4; ++i) {
    end += step;
    const vexa::CivilDateTime at = vexa::decodeDateTime(end);
    band.push_back(milliseconds([&] {
      presenter.setPicker(2, at);
      presenter.setPicker(3, at);
      ::UpdateWindow(form.preview());
    }));
  }
  std::printf("open_to_preview_ms=%.2f\ntick_to_frame_ms=%.2f\nband_step_to_frame_ms=%.2f\n",
              median(open), median(tick), median(band));
  std::printf("series_drawn=%d points_drawn=%d\n", plot.drawnSeries(), plot.drawnPoints());
  return 0;
}
