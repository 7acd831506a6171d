// UserDialogs answered from a script: the file chooser returns the queued
// answers in order (nullopt = cancel) and every message is recorded.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "app/dialogs.h"

namespace vexa::testing {

struct ShownMessage {
  enum Kind { Plain, Captioned, Error, Information };
  Kind kind;
  QString text;
  QString caption;
};

class ScriptedDialogs final : public UserDialogs {
 public:
  void answerFile(const QString& path) { files_.push_back({true, path}); }
  void answerCancel() { files_.push_back({false, QString()}); }

  std::optional<QString> chooseFile(QWidget*, const QString& title, const QString& filter,
                                    const QString& folder) override {
    lastTitle = title;
    lastFilter = filter;
    lastFolder = folder;
    if (files_.empty()) {
      return std::nullopt;
    }
    const auto [chosen, path] = files_.front();
    files_.pop_front();
    if (!chosen) {
      return std::nullopt;
    }
    return path;
  }
  // The next answers of the dialog taking several files, and of the
  // question what they are (0 one tag, 1 several tags, -1 cancelled).
  void answerFiles(const QStringList& paths) { several_.push_back(paths); }
  void answerSeveral(int answer) { severalAnswers_.push_back(answer); }
  QStringList chooseFiles(QWidget* parent, const QString& title, const QString& filter,
                          const QString& folder) override {
    if (several_.empty()) {
      return UserDialogs::chooseFiles(parent, title, filter, folder);
    }
    const QStringList answer = several_.front();
    several_.pop_front();
    return answer;
  }
  int askSeveral(QWidget*, const QString& question) override {
    questions << question;
    if (severalAnswers_.empty()) {
      return -1;
    }
    const int answer = severalAnswers_.front();
    severalAnswers_.pop_front();
    return answer;
  }
  void showMessage(QWidget*, const QString& text) override {
    messages.push_back({ShownMessage::Plain, text, {}});
  }
  void messageBox(const QString& text, const QString& caption) override {
    messages.push_back({ShownMessage::Captioned, text, caption});
  }
  void errorBox(QWidget*, const QString& text) override {
    messages.push_back({ShownMessage::Error, text, {}});
  }
  void informationBox(QWidget*, const QString& text) override {
    messages.push_back({ShownMessage::Information, text, {}});
  }
  bool openUrl(const QString& url) override {
    openedUrls << url;
    return true;
  }

  std::deque<ShownMessage> messages;
  QStringList questions;
  QStringList openedUrls;
  QString lastTitle;
  QString lastFilter;
  QString lastFolder;  // where the dialog started

 private:
  std::deque<std::pair<bool, QString>> files_;  // (chosen, path)
  std::deque<QStringList> several_;
  std::deque<int> severalAnswers_;
};

}  // namespace vexa::testing
