// The About window's texts and its two links, whatever the toolkit.
#pragma once

#include <string>

#include "app/form/form_dialogs.h"

namespace vexa::form {

// The maker shown in the About window.
inline constexpr const char* kMakerName = "Vexa_Сhart Project";
inline constexpr const char* kMakerWeb = "www.example.org";
inline constexpr const char* kMakerMail = "info@example.org";
inline constexpr const char* kAboutCaption = "О программе";
inline constexpr const char* kAboutTitleLine = "Vexa_Сhart (Vexa Wireless Monitoring Сhart)";
inline constexpr const char* kAboutDescription =
    "Программа построения графиков и таблиц по результатам, зафиксированным тегами системы "
    "мониторинга Vexa, которые были сохранены в виде файлов данных cvs‑формата посредством "
    "веб-сервиса Vexa_WebUI.";
inline constexpr const char* kAboutDate = "Январь 2021 года.";
inline constexpr const char* kAboutOk = "ОК";

// The links' clicks: the web address, and a new mail to the maker.
inline void openMakerWeb(FormDialogs& dialogs) {
  dialogs.openUrl(kMakerWeb);
}
inline void openMakerMail(FormDialogs& dialogs) {
  dialogs.openUrl(std::string("mailto:") + kMakerMail);
}

}  // namespace vexa::form
