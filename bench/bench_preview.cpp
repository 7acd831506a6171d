// The preview under the window, offscreen: from the export to the preview
// drawn once, and from a ticked box or a band moved one step to the next
// frame drawn; the peak memory of the window with the export open is
// measured in a separate process (preview_probe).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>

#include "app/preview_chart.h"
#include "app/tform1.h"
#include "bench_support.h"
#include "support/scripted_dialogs.h"

namespace vexa::bench {
namespace {

// One frame of the preview, as the screen would get it.
void drawFrame(PreviewChart& preview, QImage& frame) {
  QApplication::processEvents();
  QPainter painter(&frame);
  preview.render(&painter);
}

void BM_OpenToPreviewClimateLight1M(benchmark::State& state) {
  const std::string path = exportFile(ExportKind::ClimateLight, 1'000'000, 0);
  testing::ScriptedDialogs dialogs;
  for (auto _ : state) {
    TForm1 form(dialogs);
    form.show();
    form.openFile(QString::fromStdString(path));
    QImage frame(form.Preview->size(), QImage::Format_ARGB32_Premultiplied);
    drawFrame(*form.Preview, frame);
  }
}

struct OpenWindow {
  testing::ScriptedDialogs dialogs;
  TForm1 form{dialogs};
  QImage frame;
  explicit OpenWindow(const std::string& path) {
    form.show();
    form.openFile(QString::fromStdString(path));
    for (QCheckBox* box : {form.CheckBox2, form.CheckBox3, form.CheckBox4, form.CheckBox5}) {
      box->setChecked(true);
    }
    frame = QImage(form.Preview->size(), QImage::Format_ARGB32_Premultiplied);
    drawFrame(*form.Preview, frame);
  }
};

void BM_TickToFrame32k4(benchmark::State& state) {
  OpenWindow window(exportFile(ExportKind::ClimateLight, 32'000, 0));
  for (auto _ : state) {
    window.form.CheckBox4->toggle();
    drawFrame(*window.form.Preview, window.frame);
  }
}

// A band moved one pixel: the band's statistics again (from every reading
// of the export), then the frame; with limits (argument 1) on the
// temperature, their excursions counted too; over an export of 32 000 lines
// (the second argument 0) or of a million.
void BM_BandStepToFrame(benchmark::State& state) {
  const int lines = state.range(1) == 0 ? 32'000 : 1'000'000;
  OpenWindow window(exportFile(ExportKind::ClimateLight, lines, 0));
  if (state.range(0) != 0) {
    window.form.LimitSeries->setCurrentIndex(0);
    window.form.LimitLow->setText("15");
    window.form.LimitHigh->setText("25");
  }
  PreviewChart& preview = *window.form.Preview;
  if (state.range(0) != 0 && preview.limits().at(0).empty()) {
    state.SkipWithError("the limits did not reach the preview");
    return;
  }
  const auto [first, last] = std::make_pair(preview.data().first, preview.data().last);
  const double step = (last - first) / preview.plotRect().width();  // one pixel
  double start = first + (last - first) / 4;
  for (auto _ : state) {
    start += step;
    preview.setBand(start, start + (last - first) / 2);
    drawFrame(preview, window.frame);
  }
  state.counters["peak_MB"] =
      peakMegabytesOf({VEXA_PREVIEW_PROBE, exportFile(ExportKind::ClimateLight, lines, 0)});
}

BENCHMARK(BM_OpenToPreviewClimateLight1M)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TickToFrame32k4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BandStepToFrame)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace vexa::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
