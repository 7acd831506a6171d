// The presenter's dialogs on Windows: GetOpenFileNameW, message boxes as wide
// as their text, and ShellExecuteW; and its settings under HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/form/form_dialogs.h"

namespace vexa::win32 {

class Win32Dialogs final : public form::FormDialogs {
 public:
  // Message boxes and the file dialog belong to `owner` (set when the
  // window exists).
  void setOwner(HWND owner) { owner_ = owner; }

  std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                        const std::string& folder) override;
  std::vector<std::string> chooseFiles(const std::string& title, const std::string& filter,
                                       const std::string& folder) override;
  std::optional<Several> askSeveral(const std::string& question) override;
  void showMessage(const std::string& text) override;
  void messageBox(const std::string& text, const std::string& caption) override;
  void errorBox(const std::string& text) override;
  void informationBox(const std::string& text) override;
  bool openUrl(const std::string& url) override;

 private:
  HWND owner_ = nullptr;
};

// "Vexa|*.csv" as the file dialog's filter: "Vexa\0*.csv\0\0".
std::wstring dialogFilter(const std::string& filter);

// Values under HKEY_CURRENT_USER\<root>: "preview/shown" is the value
// "shown" of the key <root>\preview.
class RegistrySettings final : public form::SettingsStore {
 public:
  explicit RegistrySettings(std::wstring root = L"Software\\Vexa_Chart");
  std::optional<std::string> value(const std::string& key) const override;
  void setValue(const std::string& key, const std::string& value) override;

 private:
  std::wstring root_;
};

}  // namespace vexa::win32
