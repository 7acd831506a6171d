#include "app/win32/win32_dialogs.h"

#include <commctrl.h>
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

namespace {

// The file-open dialog; what it fills in (the path, or the folder and the
// names, each ended by a NUL), or nothing when cancelled.
std::optional<std::vector<wchar_t>> openDialog(HWND owner, const std::string& title,
                                               const std::string& filter, const std::string& folder,
                                               DWORD flags) {
  std::vector<wchar_t> file(flags & OFN_ALLOWMULTISELECT ? 1 << 20 : 32768, L'\0');
  const std::wstring caption = wide(title);
  const std::wstring patterns = dialogFilter(filter);
  const std::wstring start = wide(folder);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = patterns.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | flags;
  if (!::GetOpenFileNameW(&dialog)) {
    return std::nullopt;
  }
  return file;
}

}  // namespace

std::optional<std::string> Win32Dialogs::chooseFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& folder) {
  const auto file = openDialog(owner_, title, filter, folder, 0);
  if (!file) {
    return std::nullopt;
  }
  return utf8(file->data());
}

std::vector<std::string> Win32Dialogs::chooseFiles(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& folder) {
  const auto file = openDialog(owner_, title, filter, folder, OFN_ALLOWMULTISELECT);
  if (!file) {
    return {};
  }
  // One file: its path. Several: the folder, then each name.
  std::vector<std::wstring> parts;
  for (const wchar_t* at = file->data(); *at != L'\0'; at += parts.back().size() + 1) {
    parts.emplace_back(at);
  }
  std::vector<std::string> chosen;
  if (parts.size() == 1) {
    chosen.push_back(utf8(parts.front()));
  }
  for (std::size_t i = 1; i < parts.size(); ++i) {
    std::wstring path = parts.front();
    if (!path.empty() && path.back() != L'\\') {
      path += L'\\';
    }
    chosen.push_back(utf8(path + parts[i]));
  }
  return chosen;
}

std::optional<form::FormDialogs::Several> Win32Dialogs::askSeveral(const std::string& question) {
  const std::wstring text = wide(question);
  const std::wstring title = programTitle();
  const std::wstring oneTag = L"Один тег";
  const std::wstring compare = L"Сравнить теги";
  const TASKDIALOG_BUTTON buttons[] = {{1001, oneTag.c_str()}, {1002, compare.c_str()}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner_;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_CANCEL_BUTTON;  // «Отмена» in the system's language
  config.pszWindowTitle = title.c_str();
  config.pszContent = text.c_str();
  config.cButtons = 2;
  config.pButtons = buttons;
  config.nDefaultButton = 1001;
  config.cxWidth = 280;  // dialog units: the question on two lines, as the Qt window has it
  int pressed = 0;
  if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
    // Without the task dialog: the system's box, its buttons named in the text.
    const std::wstring asked = text + L"\n\n«Да» — один тег, «Нет» — сравнить теги.";
    pressed = ::MessageBoxW(owner_, asked.c_str(), title.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    pressed = pressed == IDYES ? 1001 : pressed == IDNO ? 1002 : 0;
  }
  if (pressed == 1001) {
    return Several::OneTag;
  }
  if (pressed == 1002) {
    return Several::CompareTags;
  }
  return std::nullopt;
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
