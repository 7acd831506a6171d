#include "app/application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/fonts.h"
#include "app/qt_text.h"
#include "input/messages.h"

namespace vexa {

void setUpApplication(QApplication& application) {
  // The application's name only: a display name would be appended to every
  // window title ("О программе — Vexa_Сhart").
  QApplication::setOrganizationName(QStringLiteral("Vexa"));
  QApplication::setApplicationName(toQString(kProgramTitle));
  QApplication::setFont(formFont());
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vexa-chart")));

  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  auto* qtTexts = new QTranslator(&application);
  if (qtTexts->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qtTexts);
  }
}

QString exportFromArguments(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (!arguments[i].startsWith('-')) {
      return arguments[i];
    }
  }
  return {};
}

}  // namespace vexa
