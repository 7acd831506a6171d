// What every launch sets up before the first window: the program's name
// (window titles stay as designed, without the name appended to them), the
// form font, the icon, and Qt's own texts (dialogs, buttons, the calendar)
// in Russian like the window's, whatever the user's locale.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QApplication;

namespace vexa {

void setUpApplication(QApplication& application);

// Qt writes the sizes and dates of its file dialog in the system's locale,
// which it reads from the environment once, while the application is made.
// Made before the application and settled after it, this has Qt read it as
// Russian whatever the user's locale; the environment and the C library's
// locale are then the user's again, for the programs the window starts.
class RussianSystemLocale {
 public:
  RussianSystemLocale();
  RussianSystemLocale(const RussianSystemLocale&) = delete;
  RussianSystemLocale& operator=(const RussianSystemLocale&) = delete;
  void settle();  // once the application is made

 private:
  bool had_;
  QByteArray was_;
};

// The export named on the command line ("vexa-chart FILE"), or empty.
QString exportFromArguments(const QStringList& arguments);
// Every export named there: several are opened together, as if chosen in
// the file dialog.
QStringList exportsFromArguments(const QStringList& arguments);

}  // namespace vexa
