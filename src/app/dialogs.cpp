#include "app/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QUrl>
#include <algorithm>

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

QStringList QtUserDialogs::chooseFiles(QWidget* parent, const QString& title, const QString& filter,
                                       const QString& folder) {
  return QFileDialog::getOpenFileNames(parent, title, folder, filter);
}

int QtUserDialogs::askSeveral(QWidget* parent, const QString& question) {
  QMessageBox box(QMessageBox::Question, programTitle(), question, QMessageBox::NoButton, parent);
  QPushButton* oneTag = box.addButton(QStringLiteral("Один тег"), QMessageBox::YesRole);
  QPushButton* compare = box.addButton(QStringLiteral("Сравнить теги"), QMessageBox::NoRole);
  box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(oneTag);
  fitToText(box);
  box.exec();
  return box.clickedButton() == oneTag ? 0 : box.clickedButton() == compare ? 1 : -1;
}

void fitToText(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (grid == nullptr || label == nullptr) {
    return;
  }
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString& line : box.text().split('\n')) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  const QScreen* screen = box.screen();
  const int room = screen != nullptr ? screen->availableGeometry().width() * 3 / 4 : 800;
  // An empty item as wide as the text under the text's column: the box is
  // at least that wide, and the text keeps its lines.
  int row = 0;
  int column = 0;
  int rows = 0;
  int columns = 0;
  grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
  const QMargins margins = label->contentsMargins();
  grid->addItem(new QSpacerItem(std::min(widest + margins.left() + margins.right() + 4, room), 0,
                                QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), column, 1, columns);
}

namespace {
void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* parent) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  fitToText(box);
  box.exec();
}
}  // namespace

void QtUserDialogs::showMessage(QWidget* parent, const QString& text) {
  showBox(QMessageBox::NoIcon, programTitle(), text, parent);
}

void QtUserDialogs::messageBox(const QString& text, const QString& caption) {
  showBox(QMessageBox::NoIcon, caption, text, nullptr);
}

void QtUserDialogs::errorBox(QWidget* parent, const QString& text) {
  showBox(QMessageBox::Critical, programTitle(), text, parent);
}

void QtUserDialogs::informationBox(QWidget* parent, const QString& text) {
  showBox(QMessageBox::Information, programTitle(), text, parent);
}

bool QtUserDialogs::openUrl(const QString& url) {
  // A bare web address ("www.example.org") opens as a web page, a path as a file.
  const QUrl target = url.startsWith('/') ? QUrl::fromLocalFile(url) : QUrl::fromUserInput(url);
  return QDesktopServices::openUrl(target);
}

}  // namespace vexa
