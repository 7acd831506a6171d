// Project1: program start-up. Creates the main window and the hidden About
// window and runs the message loop until the main window is closed. An
// export named on the command line ("vexa-chart FILE") is opened at once.
#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/tform1.h"
#include "app/tform2.h"
#include "spreadsheet/engine.h"

int main(int argc, char* argv[]) {
  vexa::RussianSystemLocale locale;
  QApplication application(argc, argv);
  locale.settle();
  vexa::setUpApplication(application);
  QSettings settings;

  vexa::QtUserDialogs dialogs;
  // The spreadsheet application: "visible" opens the saved workbook on the desktop.
  vexa::sheet::Engine spreadsheet(
      vexa::sheet::EngineOptions{.opener = vexa::sheet::openWithDesktop});
  vexa::TForm1 Form1(dialogs);
  Form1.useSettings(settings);
  Form1.useSpreadsheet(spreadsheet);
  vexa::TForm2 Form2(dialogs);
  Form1.setAboutWindow(&Form2);
  Form1.show();
  std::vector<std::string> files;
  for (const QString& file : vexa::exportsFromArguments(QApplication::arguments())) {
    files.push_back(file.toStdString());
  }
  if (!files.empty()) {
    QTimer::singleShot(0, &Form1, [&Form1, files] { Form1.presenter().openFiles(files); });
  }
  return QApplication::exec();
}
