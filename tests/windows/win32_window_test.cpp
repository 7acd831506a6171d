// The Win32 main window under Wine on a real (virtual) display: the designed
// geometry, captions and tab order read back from the windows; an export
// given as on the command line opens and fills the pickers; Start writes the
// workbook; the preview takes the mouse and Ctrl+G; files dropped on the
// window open; the About window's links; the settings and the typed limits
// in the registry, the preview and the workbook.
// Dialogs and the clock are behind the same seams as on Linux.
#include <windows.h>

// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/form/about.h"
#include "app/win32/message_window.h"
#include "app/win32/tform1.h"
#include "app/win32/tform2.h"
#include "app/win32/win32_util.h"
#include "input/datetime.h"
#include "input/messages.h"
#include "platform/windows_text.h"
#include "spreadsheet/engine.h"
#include "support/form_doubles.h"
#include "support/temp_files.h"
#include "support/xlsx_reader.h"

namespace vexa::win32 {
namespace {

using form::ControlId;

// Where a control stands in its parent's client area, in designed pixels.
form::Rect placeOf(HWND control) {
  RECT area{};
  ::GetWindowRect(control, &area);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&area), 2);
  const auto designed = [](LONG pixels) {
    return ::MulDiv(static_cast<int>(pixels), 96, screenDpi());
  };
  return {designed(area.left), designed(area.top), designed(area.right - area.left),
          designed(area.bottom - area.top)};
}

bool visible(HWND window) {
  return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

CivilDateTime pickerValue(HWND picker) {
  SYSTEMTIME time{};
  ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  return civilOf(time);
}

// Lets the window paint and take what was posted to it.
void pump() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int clientHeight(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return ::MulDiv(client.bottom, 96, screenDpi());
}

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest()
      : engine(sheet::EngineOptions{
            .opener = [this](const std::string& path) { opened.push_back(path); },
            .clock = [] { return std::int64_t{1610000000}; }}),
        form(dialogs) {
    form.presenter().useSpreadsheet(
        engine, [] { return decodeDateTime(parseDateTime("2021-01-07 15:30:45")); });
    form.presenter().setPreviewShown(false);
    ::ShowWindow(form.handle(), SW_SHOWNORMAL);
    pump();
  }
  HWND control(ControlId id) const { return form.control(id); }
  void click(ControlId id) {
    ::SendMessageW(control(id), BM_CLICK, 0, 0);
    pump();
  }

  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
  }

  testing::ScriptedFormDialogs dialogs;
  testing::TempDir dir;
  std::vector<std::string> opened;
  sheet::Engine engine;
  TForm1 form;
};

// What the window shows is what the presenter holds, whose designed values
// the presenter's own tests pin down.
TEST_F(Win32WindowTest, DesignedGeometryCaptionsAndTabOrder) {
  EXPECT_EQ(windowText(form.handle()), "Vexa_Сhart");
  RECT client{};
  ::GetClientRect(form.handle(), &client);
  EXPECT_EQ(::MulDiv(client.right, 96, screenDpi()), 487);
  EXPECT_EQ(clientHeight(form.handle()), 58);
  const form::FormState& designed = form.presenter().state();
  for (int i = 0; i < form::kControlCount; ++i) {
    const auto id = static_cast<ControlId>(i);
    SCOPED_TRACE(form::nameOf(id));
    form::Rect place = placeOf(control(id));
    const bool list =
        id == ControlId::ComboBox1 || !designed[id].items.empty() || id == ControlId::LimitSeries;
    if (list) {
      place.height = designed[id].geometry.height;  // the system sizes a list's field by its font
    }
    EXPECT_EQ(place, designed[id].geometry);
    EXPECT_EQ(visible(control(id)), designed[id].visible);
    const bool picker = id >= ControlId::DateTimePicker1 && id <= ControlId::DateTimePicker4;
    if (!designed[id].items.empty()) {  // a list shows its item chosen
      EXPECT_EQ(windowText(control(id)),
                designed[id].items[static_cast<std::size_t>(designed[id].selected)]);
    } else if (!picker && id != ControlId::ProgressBar2) {
      EXPECT_EQ(windowText(control(id)), designed[id].caption);
    }
  }
  // The pickers show the designed values in the designed forms.
  EXPECT_EQ(windowText(control(ControlId::DateTimePicker1)), "30.12.1899");
  EXPECT_EQ(windowText(control(ControlId::DateTimePicker2)), "00:00:00");
  // The combo box shows its nine items, "6" chosen, and takes no free text.
  HWND combo = control(ControlId::ComboBox1);
  EXPECT_EQ(placeOf(combo).left, 147);
  EXPECT_EQ(placeOf(combo).top, 32);
  EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 9);
  EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), 6);
  EXPECT_EQ(::GetWindowLongW(combo, GWL_STYLE) & CBS_DROPDOWNLIST, CBS_DROPDOWNLIST);
  EXPECT_FALSE(::IsWindowEnabled(control(ControlId::Button2)));
  EXPECT_EQ(::SendMessageW(control(ControlId::CheckBox1), BM_GETCHECK, 0, 0), BST_CHECKED);

  // The font: Tahoma 8 pt.
  LOGFONTW font{};
  ::GetObjectW(
      reinterpret_cast<HFONT>(::SendMessageW(control(ControlId::Button1), WM_GETFONT, 0, 0)),
      sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfHeight, -::MulDiv(8, screenDpi(), 72));

  // The tab order is the order of the windows: the form's, then the group's.
  const ControlId formOrder[] = {
      ControlId::Button1,         ControlId::Edit1,        ControlId::CheckBox1,
      ControlId::GroupBox1,       ControlId::Button2,      ControlId::DateTimePicker1,
      ControlId::DateTimePicker3, ControlId::ProgressBar2, ControlId::DateTimePicker2,
      ControlId::DateTimePicker4, ControlId::ComboBox1,    ControlId::Button3,
      ControlId::CheckBox7};
  std::vector<HWND> windows;
  for (HWND child = ::GetWindow(form.handle(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    windows.push_back(child);
  }
  std::vector<HWND> expected;
  for (const ControlId id : formOrder) {
    expected.push_back(control(id));
  }
  ASSERT_GE(windows.size(), expected.size());
  EXPECT_EQ(
      std::vector<HWND>(windows.begin(), windows.begin() + static_cast<long>(expected.size())),
      expected);
  std::vector<HWND> group;
  for (HWND child = ::GetWindow(control(ControlId::GroupBox1), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    group.push_back(child);
  }
  EXPECT_EQ(group, (std::vector<HWND>{control(ControlId::CheckBox2), control(ControlId::CheckBox3),
                                      control(ControlId::CheckBox4), control(ControlId::CheckBox5),
                                      control(ControlId::CheckBox6)}));
  for (const ControlId id : {ControlId::Button1, ControlId::Edit1, ControlId::CheckBox1,
                             ControlId::ComboBox1, ControlId::Button3}) {
    EXPECT_NE(::GetWindowLongW(control(id), GWL_STYLE) & WS_TABSTOP, 0) << form::nameOf(id);
  }
  EXPECT_EQ(::GetWindowLongW(control(ControlId::ProgressBar2), GWL_STYLE) & WS_TABSTOP, 0);
}

// As Explorer's "Open with" gives it: the export opens, the pickers hold its
// span, the window takes the layout's shape; Start writes the workbook next
// to the export, and the desktop opens it.
TEST_F(Win32WindowTest, AnExportFromTheCommandLineOpensAndStartWritesItsWorkbook) {
  const std::string path = dir.write("Данные/tag#2_freezer.csv",
                                     "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\r\n"
                                     "2021-01-11T00:00:00+03:00,-18.5,21.0,2.98\r\n"
                                     "2021-01-11T00:15:00+03:00,-18.4,21.1,2.98\r\n"
                                     "2021-01-13T23:45:00+03:00,-18.6,21.2,2.97\r\n");
  form.presenter().openFile(path);
  pump();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(windowText(control(ControlId::Edit1)), path);
  EXPECT_EQ(clientHeight(form.handle()), 195 - 41);
  EXPECT_TRUE(::IsWindowEnabled(control(ControlId::Button2)));
  EXPECT_EQ(windowText(control(ControlId::CheckBox2)), "Температура зонда");
  EXPECT_EQ(placeOf(control(ControlId::CheckBox3)).left, 150);
  EXPECT_EQ(placeOf(control(ControlId::DateTimePicker1)).top, 105);
  EXPECT_TRUE(visible(control(ControlId::DateTimePicker1)));
  EXPECT_EQ(formatDateTime(encodeDateTime(pickerValue(control(ControlId::DateTimePicker1)))),
            "2021-01-11 00:00:00");
  const CivilDateTime end = pickerValue(control(ControlId::DateTimePicker4));
  EXPECT_EQ(end.hour * 3600 + end.minute * 60 + end.second, 23 * 3600 + 45 * 60);

  click(ControlId::Button2);
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.back().text;
  const std::string workbook = dir.file("Данные/tag#2_freezer-070121_153045.xlsx");
  ASSERT_TRUE(platform::exists(workbook));
  EXPECT_EQ(opened, std::vector<std::string>{workbook});
  EXPECT_EQ(testing::readPackage(workbook).count("xl/charts/chart1.xml"), 1u);
  EXPECT_TRUE(::IsWindowEnabled(control(ControlId::Button2)));
  EXPECT_FALSE(visible(control(ControlId::ProgressBar2)));

  // A report that fails shows its message and leaves the window usable.
  ::SetWindowTextW(control(ControlId::Edit1), wide(dir.file("нет такой папки/x.csv")).c_str());
  click(ControlId::Button2);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, testing::FormMessage::Error);
  EXPECT_NE(dialogs.messages[0].text.find("такой папки нет"), std::string::npos);
  // As after every error of Start, Start waits for the next Open.
  EXPECT_FALSE(::IsWindowEnabled(control(ControlId::Button2)));
  dialogs.answerFile(path);
  click(ControlId::Button1);
  EXPECT_TRUE(::IsWindowEnabled(control(ControlId::Button2)));
  ::SendMessageW(control(ControlId::CheckBox1), BM_CLICK, 0, 0);  // leave it closed
  click(ControlId::Button2);
  EXPECT_EQ(dialogs.messages.back().text, "Файл сохранен.");
}

// The preview under the form: a window dragged out on it goes into the
// pickers, a double-click takes the whole span, Ctrl+G hides it.
TEST_F(Win32WindowTest, ThePreviewChoosesTheWindowAndCtrlGHidesIt) {
  form.presenter().setPreviewShown(true);
  form.presenter().openFile(std::string(VEXA_EXAMPLES) + "/tag_climate.csv");
  pump();
  HWND preview = form.preview();
  ASSERT_TRUE(visible(preview));
  EXPECT_GT(clientHeight(form.handle()), 154 + 100);
  const form::PreviewPlot& plot = form.presenter().preview();
  EXPECT_EQ(plot.drawnSeries(), 2);
  const int y = static_cast<int>(plot.plotBox().top + 20);
  const int from = static_cast<int>(plot.xOf(parseDateTime("2021-01-11 06:07:00")));
  const int to = static_cast<int>(plot.xOf(parseDateTime("2021-01-12 20:52:00")));
  ::SendMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(to, y));
  ::SendMessageW(preview, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from + to) / 2, y));
  ::SendMessageW(preview, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from, y));
  ::SendMessageW(preview, WM_LBUTTONUP, 0, MAKELPARAM(from, y));
  pump();
  const CivilDateTime start = pickerValue(control(ControlId::DateTimePicker1));
  const CivilDateTime startTime = pickerValue(control(ControlId::DateTimePicker2));
  EXPECT_EQ(start.day, 11);
  EXPECT_EQ(startTime.hour, 6);
  EXPECT_EQ(pickerValue(control(ControlId::DateTimePicker3)).day, 12);
  EXPECT_EQ(pickerValue(control(ControlId::DateTimePicker4)).hour, 20);
  EXPECT_NE(plot.readout().find("Температура (ºС)"), std::string::npos);

  ::SendMessageW(preview, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(from, y));
  pump();
  EXPECT_EQ(formatDateTime(encodeDateTime(form.presenter().startChoices().start)),
            "2021-01-11 00:00:00");

  // The window widened for the preview stays as wide through the next Open.
  RECT outer{};
  ::GetWindowRect(form.handle(), &outer);
  ::SetWindowPos(form.handle(), nullptr, 0, 0, outer.right - outer.left + 200,
                 outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
  pump();
  RECT widened{};
  ::GetClientRect(form.handle(), &widened);
  form.presenter().openFile(std::string(VEXA_EXAMPLES) + "/tag_climate.csv");
  pump();
  RECT reopened{};
  ::GetClientRect(form.handle(), &reopened);
  EXPECT_EQ(reopened.right, widened.right);
  EXPECT_GT(reopened.right, scaled(487));

  MSG key{form.handle(), WM_KEYDOWN, 'G', 0, 0, {}};
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  EXPECT_TRUE(form.translate(key));
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
  pump();
  EXPECT_FALSE(visible(preview));
  EXPECT_EQ(clientHeight(form.handle()), 195 - 41);
  EXPECT_FALSE(form.presenter().state().previewShown);
}

// A .csv file dropped on the window opens; another kind of file does not.
TEST_F(Win32WindowTest, DroppedFilesOpen) {
  const auto drop = [&](const std::string& path) {
    const std::wstring name = wide(path);
    const std::size_t bytes = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), name.c_str(),
                name.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    ::SendMessageW(form.handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    pump();
  };
  drop(dir.write("notes.txt", "Date,Time, T1\n2021-03-01,10:00:00,1\n"));
  EXPECT_EQ(windowText(control(ControlId::Edit1)), "");
  const std::string paired = dir.write("Котельная.csv", "Date,Time, T1\n2021-03-01,10:00:00,1\n");
  drop(paired);
  EXPECT_EQ(windowText(control(ControlId::Edit1)), paired);
  EXPECT_EQ(form.presenter().session.count, 100);
  EXPECT_TRUE(::IsWindowEnabled(control(ControlId::Button2)));
}

// The About window: its captions, its links through the shell, closed by OK.
TEST_F(Win32WindowTest, TheAboutWindowAndItsLinks) {
  TForm2 about(dialogs);
  form.setAboutWindow(&about);
  static TForm2* shown = nullptr;
  static std::vector<std::string> seen;
  static std::vector<std::string> cut;  // labels narrower than their text
  shown = &about;
  seen.clear();
  cut.clear();
  ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    HWND window = shown->handle();
    seen.push_back(window == nullptr ? "" : windowText(window));
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      const std::string text = windowText(child);
      seen.push_back(text);
      const std::wstring caption = wide(text);
      HDC dc = ::GetDC(child);
      HGDIOBJ was =
          ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0)));
      SIZE extent{};
      ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
      ::SelectObject(dc, was);
      ::ReleaseDC(child, dc);
      RECT area{};
      ::GetClientRect(child, &area);
      if (text != form::kAboutDescription && area.right < extent.cx) {
        cut.push_back(text);
      }
    }
    shown->Label5Click();
    shown->Label6Click();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  });
  click(ControlId::Button3);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0], "О программе");
  for (const char* text : {form::kAboutTitleLine, form::kAboutDescription, form::kAboutDate,
                           form::kMakerWeb, form::kMakerMail, "ОК"}) {
    EXPECT_NE(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
  }
  EXPECT_EQ(dialogs.openedUrls,
            (std::vector<std::string>{"www.example.org", "mailto:info@example.org"}));
  EXPECT_TRUE(::IsWindowEnabled(form.handle()));
  EXPECT_TRUE(cut.empty()) << cut.front();
}

// The message boxes are as wide as their text: the thinning warning keeps its
// factor on its line; the window waits for the box and is usable after it.
TEST_F(Win32WindowTest, MessageBoxesKeepTheirLines) {
  static const std::wstring text = wide(std::string(kThinningMessage) + "2");
  static SIZE textSize{};
  static RECT client{};
  static bool ownerEnabled = true;
  textSize = {};
  ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    HWND box = ::FindWindowW(L"VexaMessage", nullptr);
    if (box == nullptr) {
      return;
    }
    ::GetClientRect(box, &client);
    textSize = messageTextSize(text, 100000);
    ownerEnabled = ::IsWindowEnabled(::GetWindow(box, GW_OWNER)) != FALSE;
    ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  showMessageWindow(form.handle(), text, programTitle(), MessageIcon::Information);
  ASSERT_GT(textSize.cx, 0) << "no box was shown";
  EXPECT_GT(client.right, textSize.cx);  // the text's one line fits
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(::IsWindowEnabled(form.handle()));
  EXPECT_EQ(::FindWindowW(L"VexaMessage", nullptr), nullptr);
}

// The row of limits, typed into the window's own controls: the preview draws
// them and counts the band's excursions, the registry keeps them for the
// layout, and Start puts them on the chart and the third sheet.
TEST_F(Win32WindowTest, TypedLimitsReachThePreviewTheRegistryAndTheWorkbook) {
  const std::wstring root = L"Software\\Vexa_Chart_Test";
  ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  RegistrySettings settings(root);
  form.presenter().useSettings(settings);
  form.presenter().setPreviewShown(true);
  const std::string path = dir.write(
      "tag#2_freezer.csv", testing::bytesOf(std::string(VEXA_EXAMPLES) + "/tag#2_freezer.csv"));
  form.presenter().openFile(path);
  pump();
  HWND series = control(ControlId::LimitSeries);
  ASSERT_TRUE(visible(series));
  ASSERT_EQ(::SendMessageW(series, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(::SendMessageW(series, CB_GETCURSEL, 0, 0), 0);
  wchar_t item[64] = {};
  ::SendMessageW(series, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(platform::utf8Of(item), "Температура зонда (°C)");

  ::SetWindowTextW(control(ControlId::LimitLow), L"-25");
  ::SetWindowTextW(control(ControlId::LimitHigh), L"-15");
  pump();
  const form::PreviewPlot& plot = form.presenter().preview();
  ASSERT_FALSE(plot.limits().empty());
  ASSERT_TRUE(plot.limits()[0].low && plot.limits()[0].high);
  EXPECT_EQ(*plot.limits()[0].low, -25.0);
  EXPECT_EQ(*plot.limits()[0].high, -15.0);
  ASSERT_GE(plot.statistics().size(), 2u);
  EXPECT_EQ(plot.statistics()[0], "Итог: Тревога");
  EXPECT_NE(plot.statistics()[1].find("выше -15: 2 раза, 1,25 ч"), std::string::npos)
      << plot.statistics()[1];
  EXPECT_EQ(RegistrySettings(root).value("limits/3/temperature/high"), "-15");

  // The second series of the list shows its own, empty limits.
  ::SendMessageW(series, CB_SETCURSEL, 1, 0);
  ::SendMessageW(form.handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(series), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(series));
  pump();
  EXPECT_EQ(windowText(control(ControlId::LimitHigh)), "");
  EXPECT_EQ(*form.presenter().preview().limits()[0].high, -15.0);

  ::SendMessageW(control(ControlId::CheckBox1), BM_CLICK, 0, 0);  // leave it closed
  click(ControlId::Button2);
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, "Файл сохранен.");
  const auto parts = testing::readPackage(dir.file("tag#2_freezer-070121_153045.xlsx"));
  EXPECT_NE(parts.at("xl/charts/chart1.xml").find("<a:prstDash val=\"dash\"/>"), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Верхний предел: -15"), std::string::npos);
  EXPECT_NE(parts.at("xl/sharedStrings.xml").find("Выше верхнего предела: выходов"),
            std::string::npos);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
}

// The preview's state and the last folder live in the registry.
TEST_F(Win32WindowTest, SettingsLiveInTheRegistry) {
  const std::wstring root = L"Software\\Vexa_Chart_Test";
  ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
  RegistrySettings settings(root);
  form.presenter().useSettings(settings);
  form.presenter().openFile(dir.write("climate.csv",
                                      "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n"
                                      "2021-01-02 10:20:30,21.5,40.1,3.01\n"));
  form.presenter().setPreviewShown(false);
  RegistrySettings again(root);
  EXPECT_EQ(again.value("preview/shown"), "false");
  EXPECT_EQ(again.value("open/folder"), platform::textOf(dir.path()));
  HKEY key = nullptr;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, (root + L"\\preview").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, root.c_str());
}

}  // namespace
}  // namespace vexa::win32
