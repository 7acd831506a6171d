#include "app/open_dialog.h"

#include <QStringList>

#include "app/qt_text.h"

namespace vexa {

QString qtFilter(const std::string& filter) {
  // Pairs of description and patterns; patterns separated by ";" become blanks.
  const QStringList parts = toQString(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    entries << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace vexa
