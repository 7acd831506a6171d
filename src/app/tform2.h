// The About window: what the program is for, who made it, and two links.
#pragma once

#include <QDialog>
#include <QLabel>

class QPushButton;

namespace vexa {

class UserDialogs;

// A label that reacts to a click, for the web and mail links.
class ClickableLabel final : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm2 final : public QDialog {
  Q_OBJECT

 public:
  explicit TForm2(UserDialogs& dialogs, QWidget* parent = nullptr);

  void Button1Click();  // OK
  void Label5Click();   // the web address
  void Label6Click();   // the mail address

  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  ClickableLabel* Label5;
  ClickableLabel* Label6;
  QPushButton* Button1;

 private:
  UserDialogs& dialogs_;
};

}  // namespace vexa
