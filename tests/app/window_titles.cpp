// The window titles as the window system shows them, on a real X display
// (run under xvfb-run): exactly as designed, without the program's name
// appended. Prints each title; fails when one differs.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <cstdio>

#include "app/application.h"
#include "app/tform1.h"
#include "app/tform2.h"
#include "support/scripted_dialogs.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  vexa::setUpApplication(application);
  vexa::testing::ScriptedDialogs dialogs;
  vexa::TForm1 form(dialogs);
  form.show();
  vexa::TForm2 about(dialogs);
  about.show();
  QFileDialog chooser(nullptr, QStringLiteral("Выбор файла"));
  chooser.setOption(QFileDialog::DontUseNativeDialog);
  chooser.show();
  QMessageBox attention(QMessageBox::NoIcon, QStringLiteral("Внимание!"),
                        QStringLiteral("Неверный интервал времени."));
  attention.show();

  int status = 1;
  QTimer::singleShot(1500, [&] {
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    tree.waitForFinished();
    const QString windows = QString::fromUtf8(tree.readAllStandardOutput());
    status = 0;
    for (const QString& title : {QStringLiteral("Vexa_Сhart"), QStringLiteral("О программе"),
                                 QStringLiteral("Выбор файла"), QStringLiteral("Внимание!")}) {
      const bool exact = windows.contains('"' + title + '"');
      std::printf("%s: %s\n", title.toUtf8().constData(), exact ? "as designed" : "DIFFERS");
      status |= exact ? 0 : 1;
    }
    if (status != 0) {
      std::printf("%s\n", windows.toUtf8().constData());
    }
    QApplication::quit();
  });
  QApplication::exec();
  return status;
}
