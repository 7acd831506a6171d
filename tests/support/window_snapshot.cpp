// Renders the main window after opening an export, to a PNG file: the
// screenshots in docs/ and a quick look at a layout without a display.
//   window_snapshot EXPORT.csv OUT.png [about.png]
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

#include "app/tform1.h"
#include "app/tform2.h"
#include "support/scripted_dialogs.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s EXPORT.csv OUT.png [ABOUT.png]\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  vexa::testing::ScriptedDialogs dialogs;
  vexa::TForm1 form(dialogs);
  form.show();
  dialogs.answerFile(QString::fromLocal8Bit(argv[1]));
  form.Button1->click();
  for (const auto& message : dialogs.messages) {
    std::fprintf(stderr, "message: %s\n", message.text.toUtf8().constData());
  }
  QApplication::processEvents();
  if (!form.grab().save(QString::fromLocal8Bit(argv[2]))) {
    return 1;
  }
  if (argc > 3) {
    vexa::TForm2 about(dialogs);
    about.show();
    QApplication::processEvents();
    about.grab().save(QString::fromLocal8Bit(argv[3]));
  }
  return 0;
}
