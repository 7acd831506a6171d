// preview-probe FILE: the main window with FILE open and its preview drawn,
// as the benchmarks' separate process whose peak memory is measured.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

#include "app/preview_chart.h"
#include "app/tform1.h"
#include "bench_support.h"
#include "support/scripted_dialogs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vexa::testing::ScriptedDialogs dialogs;
  vexa::TForm1 form(dialogs);
  form.show();
  form.openFile(QString::fromLocal8Bit(argv[1]));
  QApplication::processEvents();
  QImage frame(form.size(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&frame);
  form.render(&painter);
  std::printf("%d series drawn\n", form.Preview->drawnSeries());
  std::printf("peak_kB=%ld\n", vexa::bench::peakKilobytesOfThisProcess());
  return 0;
}
