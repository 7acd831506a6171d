// Project1: program start-up. Creates the main window and the hidden About
// window and runs the message loop until the main window is closed.
#include <QApplication>
#include <QIcon>

#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/qt_text.h"
#include "app/tform1.h"
#include "app/tform2.h"
#include "input/messages.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(vexa::toQString(vexa::kProgramTitle));
  QApplication::setApplicationDisplayName(vexa::toQString(vexa::kProgramTitle));
  QApplication::setFont(vexa::formFont());
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vexa-chart")));

  vexa::QtUserDialogs dialogs;
  vexa::TForm1 Form1(dialogs);
  vexa::TForm2 Form2(dialogs);
  Form1.setAboutWindow(&Form2);
  Form1.show();
  return QApplication::exec();
}
