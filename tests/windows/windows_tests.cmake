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
