#include "app/open_dialog.h"

#include <QFileInfo>
#include <QStringList>

#include "app/dialogs.h"

namespace vexa {

bool OpenDialog::Execute(UserDialogs& dialogs, QWidget* owner) {
  const QString folder = FileName.isEmpty() ? InitialDir : QFileInfo(FileName).absolutePath();
  const auto chosen = dialogs.chooseFile(owner, Title, qtFilter(), folder);
  if (!chosen) {
    return false;
  }
  FileName = *chosen;
  return true;
}

QString OpenDialog::qtFilter() const {
  // Pairs of description and patterns; patterns separated by ";" become blanks.
  const QStringList parts = Filter.split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace vexa
