// Project1: program start-up. Creates the main window and the hidden About
// window and runs the message loop until the main window is closed.
#include <QApplication>
#include <QFile>
#include <QIcon>

#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/qt_text.h"
#include "app/tform1.h"
#include "app/tform2.h"
#include "input/messages.h"
#include "spreadsheet/engine.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(vexa::toQString(vexa::kProgramTitle));
  QApplication::setApplicationDisplayName(vexa::toQString(vexa::kProgramTitle));
  QApplication::setFont(vexa::formFont());
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vexa-chart")));

  vexa::QtUserDialogs dialogs;
  // The spreadsheet application: "visible" opens the saved workbook on the desktop.
  vexa::sheet::Engine spreadsheet(
      vexa::sheet::EngineOptions{.opener = [&dialogs](const std::string& path) {
        if (!dialogs.openUrl(QFile::decodeName(QByteArray::fromStdString(path)))) {
          throw std::runtime_error("Книга сохранена в файл \"" + path +
                                   "\", но открыть её не удалось: на компьютере не найдено "
                                   "приложение для файлов .xlsx.");
        }
      }});
  vexa::TForm1 Form1(dialogs);
  Form1.useSpreadsheet(spreadsheet);
  vexa::TForm2 Form2(dialogs);
  Form1.setAboutWindow(&Form2);
  Form1.show();
  return QApplication::exec();
}
