# The desktop program `kinloom` and its dialog layer.
#
#   kinloom_ui_resources template data types and the arithmetic on them
#   kinloom_ui           the dialog procedures and the program's resources,
#                        written against the dialog calls of src/ui/dialog_api.h
#   kinloom_ui_headless  those calls without windows, for tests
#   kinloom_ui_fltk      those calls drawn with FLTK 1.3, for the program
#
# A program links kinloom_ui and exactly one of the two back ends. On
# Windows the calls are the system's own and the program is kinloom.exe,
# whose resources kinloom-rc writes from the same data (see the end).

add_library(kinloom_ui_resources STATIC src/ui/resources.cc src/ui/resource_script.cc)

add_library(kinloom_ui STATIC
  src/ui/kinloom_resources.cc
  src/ui/main_dialog.cc
  src/ui/secondary_dialogs.cc)
target_link_libraries(kinloom_ui PUBLIC kinloom_engine kinloom_ui_resources)

# kinloom-rc: the resource script of the Windows program, from the data.
set(KINLOOM_RC_SOURCES tools/rcgen/main.cc src/ui/resource_script.cc src/ui/resources.cc
                       src/ui/kinloom_resources.cc)

if(WIN32)
  # kinloom.exe: the dialog procedures on the system's dialog calls. The
  # resource script is written at build time by kinloom-rc, which has to run
  # here, so it is built with the build machine's own compiler.
  find_program(KINLOOM_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  find_program(KINLOOM_WINDRES NAMES ${CMAKE_RC_COMPILER} x86_64-w64-mingw32-windres windres REQUIRED)
  set(rc_dir ${CMAKE_BINARY_DIR}/kinloom-rc)
  list(TRANSFORM KINLOOM_RC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE rc_sources)
  file(GLOB rc_headers ${CMAKE_SOURCE_DIR}/src/ui/*.h ${CMAKE_SOURCE_DIR}/src/run/settings.h)
  add_custom_command(
    OUTPUT ${rc_dir}/kinloom-rc
    COMMAND ${CMAKE_COMMAND} -E make_directory ${rc_dir}
    COMMAND ${KINLOOM_HOST_CXX} -std=c++20 -O1 -Wall -Wextra -Wpedantic
            -I${CMAKE_SOURCE_DIR}/src ${rc_sources} -o ${rc_dir}/kinloom-rc
    DEPENDS ${rc_sources} ${rc_headers}
    COMMENT "Building kinloom-rc for the build machine")
  add_custom_command(
    OUTPUT ${rc_dir}/kinloom.rc ${rc_dir}/kinloom.ico
    COMMAND ${rc_dir}/kinloom-rc ${rc_dir}
    DEPENDS ${rc_dir}/kinloom-rc
    COMMENT "Writing the resource script kinloom.rc")
  add_custom_command(
    OUTPUT ${rc_dir}/kinloom-resources.o
    COMMAND ${KINLOOM_WINDRES} -O coff -I ${rc_dir} -I ${CMAKE_SOURCE_DIR}/src/apps
            ${rc_dir}/kinloom.rc ${rc_dir}/kinloom-resources.o
    DEPENDS ${rc_dir}/kinloom.rc ${rc_dir}/kinloom.ico
            ${CMAKE_SOURCE_DIR}/src/apps/kinloom.exe.manifest
    COMMENT "Compiling the resources of kinloom.exe")

  # GUI subsystem. WinMain (main_dialog.cc) is where the program starts: the
  # C run-time's start-up code calls it, so it is pulled from the library.
  add_executable(kinloom WIN32 src/ui/dialog_win32.cc ${rc_dir}/kinloom-resources.o)
  target_link_libraries(kinloom PRIVATE kinloom_ui comctl32)
  target_link_options(kinloom PRIVATE -Wl,--undefined=WinMain)

  # The dialog under Wine on a virtual X server, in the build tree's Wine
  # prefix; skipped (77) without Wine, Xvfb or xdotool.
  if(NOT KINLOOM_WINEPREFIX)
    set(KINLOOM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  endif()
  add_test(NAME ui_wine_dialog
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/wine_dialog.sh create-page $<TARGET_FILE:kinloom>
            ${KINLOOM_WINEPREFIX})
  add_test(NAME ui_wine_browse
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/wine_dialog.sh browse $<TARGET_FILE:kinloom>
            ${KINLOOM_WINEPREFIX})
  add_test(NAME ui_wine_help
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/wine_dialog.sh help $<TARGET_FILE:kinloom>
            ${KINLOOM_WINEPREFIX})
  # Windows under Wine and a virtual display are slow to show when the
  # engine tests load the machine: these run on their own. The first one
  # to run may make and warm the prefix, and waits for a cold start.
  # Every label of every dialog fits its control, measured by the system
  # in dialogs made hidden from the resources compiled into the test
  # program, as they are into kinloom.exe.
  add_executable(ui_label_fit_tests tests/ui/label_fit_test.cc src/ui/dialog_win32.cc
                 ${rc_dir}/kinloom-resources.o)
  target_link_libraries(ui_label_fit_tests PRIVATE kinloom_ui comctl32 GTest::gtest_main)
  target_include_directories(ui_label_fit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ui_label_fit
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/label_fit.sh $<TARGET_FILE:ui_label_fit_tests>
            ${KINLOOM_WINEPREFIX})
  set_tests_properties(ui_wine_dialog ui_wine_browse ui_wine_help ui_label_fit PROPERTIES
                       SKIP_RETURN_CODE 77 TIMEOUT 900 RUN_SERIAL TRUE)
  return()
endif()

add_executable(kinloom-rc tools/rcgen/main.cc)
target_link_libraries(kinloom-rc PRIVATE kinloom_ui)

add_library(kinloom_ui_headless STATIC src/ui/dialog_headless.cc)
target_link_libraries(kinloom_ui_headless PUBLIC kinloom_ui_resources)

find_library(KINLOOM_FLTK_LIBRARY fltk)
find_path(KINLOOM_FLTK_INCLUDE_DIR FL/Fl.H)
find_package(X11)
if(KINLOOM_FLTK_LIBRARY AND KINLOOM_FLTK_INCLUDE_DIR AND X11_FOUND)
  add_library(kinloom_ui_fltk STATIC src/ui/dialog_fltk.cc)
  target_include_directories(kinloom_ui_fltk SYSTEM PRIVATE ${KINLOOM_FLTK_INCLUDE_DIR} ${X11_INCLUDE_DIR})
  target_link_libraries(kinloom_ui_fltk PUBLIC kinloom_ui_resources ${KINLOOM_FLTK_LIBRARY}
                        ${X11_LIBRARIES})

  add_executable(kinloom src/apps/kinloom_main.cc)
  target_link_libraries(kinloom PRIVATE kinloom_ui kinloom_ui_fltk)
else()
  message(WARNING "FLTK 1.3 (libfltk1.3-dev) not found: the desktop program `kinloom` is not built")
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB KINLOOM_UI_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/*_test.cc)
# The label-fit test measures with a real back end, below.
list(FILTER KINLOOM_UI_TESTS EXCLUDE REGEX "/label_fit_test\\.cc$")
if(KINLOOM_UI_TESTS)
  add_executable(ui_tests ${KINLOOM_UI_TESTS})
  # The test support library is defined after this file is included; CMake
  # resolves the name when it generates the build.
  target_link_libraries(ui_tests PRIVATE kinloom_ui kinloom_ui_headless kinloom_test_support
                        GTest::gmock GTest::gtest_main)
  target_include_directories(ui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(ui_tests
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "KINLOOM_SOURCE_DIR=${CMAKE_SOURCE_DIR};KINLOOM_BINARY_DIR=${CMAKE_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60)
endif()

# The real program under a virtual X server; skipped (77) without Xvfb or
# xdotool. The no-display check needs neither.
if(TARGET kinloom)
  add_test(NAME ui_without_display
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/end_to_end.sh no-display $<TARGET_FILE:kinloom>)
  add_test(NAME ui_end_to_end
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/end_to_end.sh create-page $<TARGET_FILE:kinloom>)
  set_tests_properties(ui_without_display ui_end_to_end PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()

# Every label of every dialog fits its control, measured with FLTK's text
# widths at the dialog font, on a virtual X server; skipped (77) without
# Xvfb.
if(TARGET kinloom_ui_fltk)
  add_executable(ui_label_fit_tests ${CMAKE_SOURCE_DIR}/tests/ui/label_fit_test.cc)
  target_link_libraries(ui_label_fit_tests PRIVATE kinloom_ui kinloom_ui_fltk GTest::gtest_main)
  target_include_directories(ui_label_fit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ui_label_fit
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/label_fit.sh $<TARGET_FILE:ui_label_fit_tests>)
  set_tests_properties(ui_label_fit PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()

# The resource script compiles with the Windows resource compiler, when
# there is one; skipped (77) otherwise.
find_program(KINLOOM_WINDRES NAMES x86_64-w64-mingw32-windres windres)
add_test(NAME ui_resource_script
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/ui/resource_script.sh $<TARGET_FILE:kinloom-rc>
          "${KINLOOM_WINDRES}")
set_tests_properties(ui_resource_script PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
