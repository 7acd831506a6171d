// Project1 on Windows: program start-up. Creates the main window and the
// hidden About window and runs the message loop until the main window is
// closed. An export named on the command line ("vexa-chart.exe FILE", which
// is how Explorer's "Open with" starts it) is opened at once.
#include <windows.h>

// clang-format off
#include <commctrl.h>
// clang-format on

#include "app/win32/tform1.h"
#include "app/win32/tform2.h"
#include "platform/files.h"
#include "spreadsheet/engine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  vexa::win32::Win32Dialogs dialogs;
  vexa::win32::RegistrySettings settings;
  // The spreadsheet application: "visible" opens the saved workbook in the
  // program that opens .xlsx files (Excel, where it is installed).
  vexa::sheet::Engine spreadsheet(
      vexa::sheet::EngineOptions{.opener = vexa::sheet::openWithDesktop});
  vexa::win32::TForm1 Form1(dialogs);
  dialogs.setOwner(Form1.handle());
  Form1.presenter().useSettings(settings);
  Form1.presenter().useSpreadsheet(spreadsheet);
  vexa::win32::TForm2 Form2(dialogs);
  Form1.setAboutWindow(&Form2);
  ::ShowWindow(Form1.handle(), show);
  ::UpdateWindow(Form1.handle());

  std::vector<std::string> files;
  for (const std::string& argument : vexa::platform::programArguments(0, nullptr)) {
    if (!argument.empty() && argument.front() != '-' && argument.front() != '/') {
      files.push_back(argument);
    }
  }
  if (!files.empty()) {
    Form1.presenter().openFiles(files);  // several: as if chosen together
  }

  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!Form1.translate(message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
