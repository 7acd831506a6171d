#include "app/application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/fonts.h"
#include "app/qt_text.h"
#include "input/messages.h"

#include <clocale>

namespace vexa {

namespace {

// The texts of the file dialog that Qt's Russian catalogue leaves in English
// (the type column's "Folder" and its kin).
class MissingQtTexts final : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || sourceText == nullptr) {
      return {};
    }
    static const std::pair<const char*, const char*> kTexts[] = {
        {"Drive", "Диск"},     {"Folder", "Папка"},    {"File Folder", "Папка"},
        {"Shortcut", "Ярлык"}, {"Alias", "Псевдоним"}, {"Unknown", "Неизвестный"},
        {"File", "Файл"},      {"%1 File", "Файл %1"},
    };
    for (const auto& [english, russian] : kTexts) {
      if (qstrcmp(sourceText, english) == 0) {
        return QString::fromUtf8(russian);
      }
    }
    return {};
  }
};

}  // namespace

RussianSystemLocale::RussianSystemLocale()
    : had_(qEnvironmentVariableIsSet("LC_ALL")), was_(qgetenv("LC_ALL")) {
  qputenv("LC_ALL", "ru_RU.UTF-8");
}

void RussianSystemLocale::settle() {
  (void)QLocale::system();  // read now, while the environment says Russian
  if (had_) {
    qputenv("LC_ALL", was_);
  } else {
    qunsetenv("LC_ALL");
  }
  std::setlocale(LC_ALL, "");
}

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
  QApplication::installTranslator(new MissingQtTexts(&application));
}

QString exportFromArguments(const QStringList& arguments) {
  const QStringList exports = exportsFromArguments(arguments);
  return exports.isEmpty() ? QString() : exports.front();
}

QStringList exportsFromArguments(const QStringList& arguments) {
  QStringList exports;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (!arguments[i].startsWith('-')) {
      exports << arguments[i];
    }
  }
  return exports;
}

}  // namespace vexa
