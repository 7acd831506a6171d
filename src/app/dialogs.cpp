#include "app/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "input/messages.h"

namespace vexa {

namespace {
QString programTitle() {
  return QString::fromUtf8(kProgramTitle.data(), static_cast<qsizetype>(kProgramTitle.size()));
}
}  // namespace

std::optional<QString> QtUserDialogs::chooseFile(QWidget* parent, const QString& title,
                                                 const QString& filter, const QString& folder) {
  const QString chosen = QFileDialog::getOpenFileName(parent, title, folder, filter);
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  return chosen;
}

void QtUserDialogs::showMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, parent);
  box.exec();
}

void QtUserDialogs::messageBox(const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, nullptr);
  box.exec();
}

void QtUserDialogs::errorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, programTitle(), text, QMessageBox::Ok, parent);
  box.exec();
}

bool QtUserDialogs::openUrl(const QString& url) {
  // A bare web address ("www.example.org") opens as a web page, a path as a file.
  const QUrl target = url.startsWith('/') ? QUrl::fromLocalFile(url) : QUrl::fromUserInput(url);
  return QDesktopServices::openUrl(target);
}

}  // namespace vexa
