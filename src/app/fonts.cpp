#include "app/fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace vexa {

namespace {

QString tahomaFamily() {
  static const QString family = [] {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
      return QStringLiteral("Tahoma");
    }
    const QString directory = QStringLiteral("/usr/share/wine/fonts/");
    QString found;
    for (const char* file : {"tahoma.ttf", "tahomabd.ttf"}) {
      const QString path = directory + QLatin1String(file);
      if (!QFile::exists(path)) {
        continue;
      }
      const int id = QFontDatabase::addApplicationFont(path);
      const QStringList families = QFontDatabase::applicationFontFamilies(id);
      if (found.isEmpty() && !families.isEmpty()) {
        found = families.front();
      }
    }
    return found;
  }();
  return family;
}

}  // namespace

QFont formFont() {
  QFont font;
  const QString family = tahomaFamily();
  if (!family.isEmpty()) {
    font.setFamily(family);
  } else {
    font.setStyleHint(QFont::SansSerif);
  }
  font.setPixelSize(11);
  return font;
}

QFont aboutFont(int pixelSize) {
  QFont font(QStringLiteral("Times New Roman"));
  font.setStyleHint(QFont::Serif);
  font.setBold(true);
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace vexa
