# Tests of the Windows build, run under Wine: the batch program's hostile
# paths and targets on Windows, and the same workbooks as the Linux build's.
add_executable(windows_file_tool windows/file_tool.cpp)
target_link_options(windows_file_tool PRIVATE -municode)

set(VEXA_WINE ${PROJECT_SOURCE_DIR}/scripts/wine.sh)
add_test(NAME BatchProgram.WindowsHostilePaths
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/hostile_paths_test.sh ${VEXA_WINE}
          $<TARGET_FILE:vexa-chart-report> $<TARGET_FILE:windows_file_tool>
          ${PROJECT_SOURCE_DIR}/examples)
set_tests_properties(BatchProgram.WindowsHostilePaths PROPERTIES TIMEOUT 300)

# The Linux build to compare with (scripts/build.sh release makes it).
set(VEXA_LINUX_BUILD ${PROJECT_SOURCE_DIR}/build/release CACHE PATH "The Linux build to compare with")
add_test(NAME BatchProgram.SameWorkbookAsLinux
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/same_workbooks_test.sh ${VEXA_WINE}
          ${VEXA_LINUX_BUILD}/src/vexa-chart-report $<TARGET_FILE:vexa-chart-report>
          ${PROJECT_SOURCE_DIR}/examples)
set_tests_properties(BatchProgram.SameWorkbookAsLinux PROPERTIES TIMEOUT 600)

# The Win32 window on a virtual display.
if(VEXA_BUILD_APP)
  add_executable(win32_window_tests windows/win32_window_test.cpp)
  target_link_libraries(win32_window_tests PRIVATE vexa_win32_app vexa_test_support
    GTest::gtest_main)
  target_compile_definitions(win32_window_tests PRIVATE
    VEXA_EXAMPLES="Z:${PROJECT_SOURCE_DIR}/examples")
  # The window under test as the program has it: common controls 6, DPI aware.
  vexa_windows_resources(win32_window_tests win32_window_tests.exe)
  add_test(NAME Win32Window.UnderWineOnXvfb
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/with_display.sh ${VEXA_WINE}
            ${VEXA_WINE} $<TARGET_FILE:win32_window_tests> --gtest_color=no)
  set_tests_properties(Win32Window.UnderWineOnXvfb PROPERTIES TIMEOUT 300)
endif()

# The installer and the portable .zip.
if(VEXA_BUILD_APP)
  add_test(NAME WindowsInstaller.InstallsRunsAndUninstalls
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/with_display.sh ${VEXA_WINE}
            bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/installer_test.sh ${VEXA_WINE}
            ${PROJECT_BINARY_DIR}/packages/vexa-chart-${PROJECT_VERSION}-win64-setup.exe
            ${PROJECT_BINARY_DIR}/packages/vexa-chart-${PROJECT_VERSION}-win64-portable.zip
            ${PROJECT_SOURCE_DIR}/examples)
  set_tests_properties(WindowsInstaller.InstallsRunsAndUninstalls PROPERTIES TIMEOUT 300)
endif()

# Every Wine program of the tests runs in one Wine session at a time: the
# window tests start and end theirs (tests/windows/with_display.sh).
get_property(VEXA_WINDOWS_TESTS DIRECTORY PROPERTY TESTS)
set_tests_properties(${VEXA_WINDOWS_TESTS} PROPERTIES RESOURCE_LOCK wine)
