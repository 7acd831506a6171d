// Test doubles for the windows' presenter, without a toolkit: dialogs
// answered from a script, a view that records what it was asked to show,
// and settings in memory.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/form/main_form.h"

namespace vexa::testing {

struct FormMessage {
  enum Kind { Plain, Captioned, Error, Information };
  Kind kind;
  std::string text;
  std::string caption;
};

class ScriptedFormDialogs final : public form::FormDialogs {
 public:
  void answerFile(const std::string& path) { files_.push_back(path); }
  void answerCancel() { files_.push_back(std::nullopt); }

  std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                        const std::string& folder) override {
    lastTitle = title;
    lastFilter = filter;
    lastFolder = folder;
    if (files_.empty()) {
      return std::nullopt;
    }
    const auto answer = files_.front();
    files_.pop_front();
    return answer;
  }
  // The next answer of the file dialog: several files; and of the question
  // what they are (nullopt: cancelled).
  void answerFiles(std::vector<std::string> paths) { several_.push_back(std::move(paths)); }
  void answerSeveral(std::optional<Several> answer) { severalAnswers_.push_back(answer); }
  std::vector<std::string> chooseFiles(const std::string& title, const std::string& filter,
                                       const std::string& folder) override {
    if (several_.empty()) {
      return FormDialogs::chooseFiles(title, filter, folder);
    }
    std::vector<std::string> answer = std::move(several_.front());
    several_.pop_front();
    return answer;
  }
  std::optional<Several> askSeveral(const std::string& question) override {
    questions.push_back(question);
    if (severalAnswers_.empty()) {
      return std::nullopt;
    }
    const auto answer = severalAnswers_.front();
    severalAnswers_.pop_front();
    return answer;
  }
  void showMessage(const std::string& text) override {
    messages.push_back({FormMessage::Plain, text, {}});
  }
  void messageBox(const std::string& text, const std::string& caption) override {
    messages.push_back({FormMessage::Captioned, text, caption});
  }
  void errorBox(const std::string& text) override {
    messages.push_back({FormMessage::Error, text, {}});
  }
  void informationBox(const std::string& text) override {
    messages.push_back({FormMessage::Information, text, {}});
  }
  bool openUrl(const std::string& url) override {
    openedUrls.push_back(url);
    return true;
  }

  std::vector<FormMessage> messages;
  std::vector<std::string> questions;
  std::vector<std::string> openedUrls;
  std::string lastTitle;
  std::string lastFilter;
  std::string lastFolder;

 private:
  std::deque<std::optional<std::string>> files_;
  std::deque<std::vector<std::string>> several_;
  std::deque<std::optional<Several>> severalAnswers_;
};

class RecordingFormView final : public form::MainFormView {
 public:
  void showState(const form::FormState& state) override {
    shown = state;
    ++showings;
  }
  void paintProgressNow(const form::FormState& state) override {
    shown = state;
    progressPainted.push_back(state.progressPosition);
  }
  void previewChanged() override { ++previewChanges; }
  void showAbout() override { ++aboutShown; }

  form::FormState shown;
  int showings = 0;
  std::vector<int> progressPainted;
  int previewChanges = 0;
  int aboutShown = 0;
};

class MemorySettings final : public form::SettingsStore {
 public:
  std::optional<std::string> value(const std::string& key) const override {
    const auto found = values.find(key);
    return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
  }
  void setValue(const std::string& key, const std::string& value) override { values[key] = value; }
  std::map<std::string, std::string> values;
};

}  // namespace vexa::testing
