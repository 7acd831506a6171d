// How the windows talk to the user, whatever the toolkit: the file chooser,
// message boxes, the error box and the desktop's opener. Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vexa::form {

class FormDialogs {
 public:
  virtual ~FormDialogs() = default;
  // The file-open dialog with its title and filter ("Vexa|*.csv": a name and
  // its patterns), starting in `folder` (empty: the current one); nullopt
  // when the user cancels.
  virtual std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                                const std::string& folder) = 0;
  // The same dialog taking several files; empty when the user cancels.
  virtual std::vector<std::string> chooseFiles(const std::string& title, const std::string& filter,
                                               const std::string& folder) {
    const auto chosen = chooseFile(title, filter, folder);
    return chosen ? std::vector<std::string>{*chosen} : std::vector<std::string>{};
  }
  // Several exports were chosen: `question` asks whether they are one tag's
  // downloads («Один тег») or several tags («Сравнить теги»); nullopt when
  // the user cancels.
  enum class Several { OneTag, CompareTags };
  virtual std::optional<Several> askSeveral(const std::string& question) {
    static_cast<void>(question);
    return std::nullopt;
  }
  // A plain message box with an OK button and the program's title as caption.
  virtual void showMessage(const std::string& text) = 0;
  // A message box with its own caption and an OK button, owned by no window.
  virtual void messageBox(const std::string& text, const std::string& caption) = 0;
  // The error box: an exception's own text.
  virtual void errorBox(const std::string& text) = 0;
  // An information box with the program's title as caption.
  virtual void informationBox(const std::string& text) = 0;
  // Opens a web or mail address, or a file, with the desktop's default
  // application; false when nothing could take it.
  virtual bool openUrl(const std::string& url) = 0;
};

// What the window remembers from one launch to the next (QSettings on
// Linux, the registry under HKEY_CURRENT_USER on Windows).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> value(const std::string& key) const = 0;
  virtual void setValue(const std::string& key, const std::string& value) = 0;
};

}  // namespace vexa::form
