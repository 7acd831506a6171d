# vexa_haru: libharu 2.3.0, for the PDF report. Linux uses Debian's libhpdf;
# the Windows build compiles the same version from Debian's source package
# (scripts/setup-tests.sh puts it in /usr/src/libharu), with zlib and without
# PNG images, which the report has none of.
if(WIN32)
  set(VEXA_LIBHARU_SOURCE /usr/src/libharu CACHE PATH "libharu's source tree")
  if(NOT EXISTS ${VEXA_LIBHARU_SOURCE}/include/hpdf.h)
    message(FATAL_ERROR "libharu's sources are missing in ${VEXA_LIBHARU_SOURCE}: "
                        "scripts/setup-tests.sh fetches them")
  endif()
  enable_language(C)
  set(ZLIB_USE_STATIC_LIBS ON)
  find_package(ZLIB REQUIRED)
  # The configuration Debian's build writes, for this platform: zlib, no PNG.
  set(VEXA_HARU_CONFIG ${CMAKE_BINARY_DIR}/generated/haru)
  file(CONFIGURE OUTPUT ${VEXA_HARU_CONFIG}/hpdf_config.h
       CONTENT "#ifndef _INCLUDE_HPDF_CONFIG_H\n#define _INCLUDE_HPDF_CONFIG_H 1\n\
#define LIBHPDF_HAVE_LIBZ 1\n#define LIBHPDF_HAVE_NOPNGLIB 1\n\
#define LIBHPDF_HAVE_STDLIB_H 1\n#define LIBHPDF_HAVE_STRING_H 1\n#endif\n")
  file(GLOB VEXA_LIBHARU_FILES ${VEXA_LIBHARU_SOURCE}/src/*.c)
  add_library(vexa_haru STATIC ${VEXA_LIBHARU_FILES})
  target_include_directories(vexa_haru SYSTEM BEFORE PUBLIC ${VEXA_HARU_CONFIG}
                             ${VEXA_LIBHARU_SOURCE}/include)
  target_link_libraries(vexa_haru PUBLIC ZLIB::ZLIB)
  # As libharu's own build compiles it; its code is not ours to warn about.
  target_compile_options(vexa_haru PRIVATE -O2 -w)
  target_compile_definitions(vexa_haru PRIVATE LIBHPDF_HAVE_NOPNGLIB)
else()
  find_path(VEXA_HARU_INCLUDE hpdf.h REQUIRED)
  find_library(VEXA_HARU_LIBRARY hpdf REQUIRED)
  add_library(vexa_haru INTERFACE)
  target_include_directories(vexa_haru SYSTEM INTERFACE ${VEXA_HARU_INCLUDE})
  target_link_libraries(vexa_haru INTERFACE ${VEXA_HARU_LIBRARY})
endif()

# The report's font, Liberation Sans (SIL Open Font License): where Debian's
# fonts-liberation keeps it, copied beside the programs in the build tree
# (the programs look for it in their "fonts" folder first) and installed
# with them.
set(VEXA_SYSTEM_FONTS /usr/share/fonts/truetype/liberation)
set(VEXA_REPORT_FONTS LiberationSans-Regular.ttf LiberationSans-Bold.ttf)
foreach(font ${VEXA_REPORT_FONTS})
  if(NOT EXISTS ${VEXA_SYSTEM_FONTS}/${font})
    message(FATAL_ERROR "${VEXA_SYSTEM_FONTS}/${font} is missing: scripts/setup.sh installs "
                        "fonts-liberation")
  endif()
endforeach()
set(VEXA_FONT_LICENCE /usr/share/doc/fonts-liberation/copyright)

# Copies the report's fonts into `folder`/fonts at build time, where the
# programs (and the tests) built into `folder` look for them first.
function(vexa_report_fonts target folder)
  set(copies)
  foreach(font ${VEXA_REPORT_FONTS})
    add_custom_command(OUTPUT ${folder}/fonts/${font}
      COMMAND ${CMAKE_COMMAND} -E copy ${VEXA_SYSTEM_FONTS}/${font} ${folder}/fonts/${font}
      DEPENDS ${VEXA_SYSTEM_FONTS}/${font})
    list(APPEND copies ${folder}/fonts/${font})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${copies})
endfunction()
