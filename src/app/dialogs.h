// How the windows talk to the user: the file chooser, message boxes, the error
// box and the desktop's opener. Production uses Qt's dialogs; tests answer
// from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QMessageBox;
class QWidget;

namespace vexa {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // The file-open dialog; nullopt when the user cancels. `filter` is in Qt's
  // form ("Vexa (*.csv)"); the dialog starts in `folder` (empty: the
  // current one).
  virtual std::optional<QString> chooseFile(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& folder) = 0;
  // The same dialog taking several files; empty when the user cancels.
  virtual QStringList chooseFiles(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& folder) {
    const auto chosen = chooseFile(parent, title, filter, folder);
    return chosen ? QStringList{*chosen} : QStringList{};
  }
  // Several exports chosen: asks `question` with the buttons «Один тег»
  // (0), «Сравнить теги» (1) and «Отмена» (-1, as closing the box).
  virtual int askSeveral(QWidget* parent, const QString& question) {
    static_cast<void>(parent);
    static_cast<void>(question);
    return -1;
  }
  // A plain message box with an OK button and the program's title as caption.
  virtual void showMessage(QWidget* parent, const QString& text) = 0;
  // A message box with its own caption and an OK button, owned by no window.
  virtual void messageBox(const QString& text, const QString& caption) = 0;
  // The error box: an exception's own text.
  virtual void errorBox(QWidget* parent, const QString& text) = 0;
  // An information box with the program's title as caption.
  virtual void informationBox(QWidget* parent, const QString& text) = 0;
  // Opens a web or mail address, or a file, with the desktop's default
  // application; false when nothing could take it.
  virtual bool openUrl(const QString& url) = 0;
};

// Makes a message box wide enough for its text's longest line (up to three
// quarters of the screen): Qt would otherwise break lines at about 500 pixels.
void fitToText(QMessageBox& box);

// Qt's standard dialogs and QDesktopServices.
class QtUserDialogs final : public UserDialogs {
 public:
  std::optional<QString> chooseFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& folder) override;
  QStringList chooseFiles(QWidget* parent, const QString& title, const QString& filter,
                          const QString& folder) override;
  int askSeveral(QWidget* parent, const QString& question) override;
  void showMessage(QWidget* parent, const QString& text) override;
  void messageBox(const QString& text, const QString& caption) override;
  void errorBox(QWidget* parent, const QString& text) override;
  void informationBox(QWidget* parent, const QString& text) override;
  bool openUrl(const QString& url) override;
};

}  // namespace vexa
