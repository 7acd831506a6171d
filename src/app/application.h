// What every launch sets up before the first window: the program's name
// (window titles stay as designed, without the name appended to them), the
// form font, the icon, and Qt's own texts (dialogs, buttons, the calendar)
// in Russian like the window's.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace vexa {

void setUpApplication(QApplication& application);

// The export named on the command line ("vexa-chart FILE"), or empty.
QString exportFromArguments(const QStringList& arguments);

}  // namespace vexa
