// The main window's file-open dialog: a title, a filter in the "name|pattern"
// form, the file chosen last, which it keeps when the user cancels, and the
// folder it starts in before any file was chosen.
#pragma once

#include <QString>

class QWidget;

namespace vexa {

class UserDialogs;

class OpenDialog {
 public:
  QString Title;
  QString Filter;
  QString FileName;
  QString InitialDir;

  // Shows the dialog; true when the user chose a file (now in FileName).
  bool Execute(UserDialogs& dialogs, QWidget* owner);

  // The filter in Qt's form: "Vexa|*.csv" gives "Vexa (*.csv)".
  QString qtFilter() const;
};

}  // namespace vexa
