// What other Windows programs do to a workbook, for the tests of the Windows
// build: hold it open as Excel holds an open workbook, or mark it read-only.
//   windows_file_tool hold PATH READY   opens PATH as Excel does, creates the
//                                       file READY, and keeps PATH open until
//                                       READY is deleted (at most a minute)
//   windows_file_tool readonly PATH     marks PATH read-only
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t* argv[]) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"readonly" && argc == 3) {
    return ::SetFileAttributesW(argv[2], FILE_ATTRIBUTE_READONLY) ? 0 : 1;
  }
  if (mode == L"hold" && argc == 4) {
    // Excel opens a workbook for reading and writing and lets others read it.
    HANDLE held = ::CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
      return 1;
    }
    HANDLE ready = ::CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(ready);
    for (int i = 0; i < 1200 && ::GetFileAttributesW(argv[3]) != INVALID_FILE_ATTRIBUTES; ++i) {
      ::Sleep(50);
    }
    ::CloseHandle(held);
    return 0;
  }
  return 2;
}
