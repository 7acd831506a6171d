// Renders the main window after opening an export, to a PNG file: the
// screenshots in docs/ and a quick look at a layout without a display.
//   window_snapshot EXPORT.csv OUT.png [--about ABOUT.png]
//                   [--window "YYYY-MM-DD HH:MM:SS" "YYYY-MM-DD HH:MM:SS"]
//                   [--limits LOW HIGH]
// --window chooses that time window in the pickers, drawn as the preview's
// band; --limits sets the limits of the first series of the row of limits.
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimeEdit>
#include <cstdio>
#include <cstring>

#include "app/application.h"
#include "app/tform1.h"
#include "app/tform2.h"
#include "input/datetime.h"
#include "support/scripted_dialogs.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s EXPORT.csv OUT.png [--about ABOUT.png] [--window FROM TO]\n",
                 argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  vexa::setUpApplication(application);
  vexa::testing::ScriptedDialogs dialogs;
  vexa::TForm1 form(dialogs);
  form.show();
  dialogs.answerFile(QString::fromLocal8Bit(argv[1]));
  form.Button1->click();
  for (const auto& message : dialogs.messages) {
    std::fprintf(stderr, "message: %s\n", message.text.toUtf8().constData());
  }
  const char* about = nullptr;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--about") == 0 && i + 1 < argc) {
      about = argv[++i];
    } else if (std::strcmp(argv[i], "--window") == 0 && i + 2 < argc) {
      const auto from = vexa::decodeDateTime(vexa::parseDateTime(argv[++i]));
      const auto to = vexa::decodeDateTime(vexa::parseDateTime(argv[++i]));
      form.DateTimePicker1->setDate(QDate(from.year, from.month, from.day));
      form.DateTimePicker2->setTime(QTime(from.hour, from.minute, from.second));
      form.DateTimePicker3->setDate(QDate(to.year, to.month, to.day));
      form.DateTimePicker4->setTime(QTime(to.hour, to.minute, to.second));
    } else if (std::strcmp(argv[i], "--limits") == 0 && i + 2 < argc) {
      form.LimitLow->setText(QString::fromLocal8Bit(argv[++i]));
      form.LimitHigh->setText(QString::fromLocal8Bit(argv[++i]));
    }
  }
  QApplication::processEvents();
  if (!form.grab().save(QString::fromLocal8Bit(argv[2]))) {
    return 1;
  }
  if (about != nullptr) {
    vexa::TForm2 window(dialogs);
    window.show();
    QApplication::processEvents();
    window.grab().save(QString::fromLocal8Bit(about));
  }
  return 0;
}
