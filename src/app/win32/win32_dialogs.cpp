#include "app/win32/win32_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "app/win32/message_window.h"
#include "app/win32/win32_util.h"

namespace vexa::win32 {

std::wstring dialogFilter(const std::string& filter) {
  std::wstring result = wide(filter);
  for (wchar_t& c : result) {
    if (c == L'|') {
      c = L'\0';
    }
  }
  result.push_back(L'\0');
  result.push_back(L'\0');
  return result;
}

std::optional<std::string> Win32Dialogs::chooseFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& folder) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring caption = wide(title);
  const std::wstring patterns = dialogFilter(filter);
  const std::wstring start = wide(folder);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = patterns.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) {
    return std::nullopt;
  }
  return utf8(file.data());
}

void Win32Dialogs::showMessage(const std::string& text) {
  showMessageWindow(owner_, wide(text), programTitle(), MessageIcon::None);
}

void Win32Dialogs::messageBox(const std::string& text, const std::string& caption) {
  showMessageWindow(nullptr, wide(text), wide(caption), MessageIcon::None);
}

void Win32Dialogs::errorBox(const std::string& text) {
  showMessageWindow(owner_, wide(text), programTitle(), MessageIcon::Error);
}

void Win32Dialogs::informationBox(const std::string& text) {
  showMessageWindow(owner_, wide(text), programTitle(), MessageIcon::Information);
}

bool Win32Dialogs::openUrl(const std::string& url) {
  // The shell's "open" verb, the default show mode (10).
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(owner_, L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWDEFAULT));
  return result > 32;
}

namespace {

// The key and the value's name of "preview/shown".
std::pair<std::wstring, std::wstring> placeOf(const std::wstring& root, const std::string& key) {
  const auto slash = key.rfind('/');
  std::wstring path = root;
  if (slash != std::string::npos) {
    std::wstring folders = wide(key.substr(0, slash));
    for (wchar_t& c : folders) {
      c = c == L'/' ? L'\\' : c;
    }
    path += L"\\" + folders;
  }
  return {path, wide(slash == std::string::npos ? key : key.substr(slash + 1))};
}

}  // namespace

RegistrySettings::RegistrySettings(std::wstring root) : root_(std::move(root)) {}

std::optional<std::string> RegistrySettings::value(const std::string& key) const {
  const auto [path, name] = placeOf(root_, key);
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     text.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return utf8(text.data());
}

void RegistrySettings::setValue(const std::string& key, const std::string& value) {
  const auto [path, name] = placeOf(root_, key);
  const std::wstring text = wide(value);
  HKEY opened = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &opened, nullptr) == ERROR_SUCCESS) {
    ::RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(opened);
  }
}

}  // namespace vexa::win32
