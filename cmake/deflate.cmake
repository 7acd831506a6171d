# vexa_deflate: libdeflate, for the package's zip writer. Linux uses Debian's
# libdeflate; the Windows build compiles the same version from Debian's
# source package (scripts/setup-tests.sh puts it in /usr/src/libdeflate), so that
# both platforms deflate a workbook to the same bytes.
if(WIN32)
  set(VEXA_LIBDEFLATE_SOURCE /usr/src/libdeflate CACHE PATH "libdeflate's source tree")
  if(NOT EXISTS ${VEXA_LIBDEFLATE_SOURCE}/libdeflate.h)
    message(FATAL_ERROR "libdeflate's sources are missing in ${VEXA_LIBDEFLATE_SOURCE}: "
                        "scripts/setup-tests.sh fetches them")
  endif()
  enable_language(C)
  file(GLOB VEXA_LIBDEFLATE_FILES ${VEXA_LIBDEFLATE_SOURCE}/lib/*.c
       ${VEXA_LIBDEFLATE_SOURCE}/lib/x86/*.c)
  add_library(vexa_deflate STATIC ${VEXA_LIBDEFLATE_FILES})
  target_include_directories(vexa_deflate SYSTEM PUBLIC ${VEXA_LIBDEFLATE_SOURCE})
  # As libdeflate's own Makefile builds it; its code is not ours to warn about.
  target_compile_options(vexa_deflate PRIVATE -O2 -fomit-frame-pointer -std=c99 -w)
  target_compile_definitions(vexa_deflate PRIVATE LIBDEFLATE_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
  add_library(vexa_deflate INTERFACE)
  target_link_libraries(vexa_deflate INTERFACE PkgConfig::LIBDEFLATE)
endif()
