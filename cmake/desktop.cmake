# The desktop program `kinloom` and its dialog layer.
#
#   kinloom_ui_resources template data types and the arithmetic on them
#   kinloom_ui           the dialog procedures and the program's resources,
#                        written against the dialog calls of src/ui/dialog_api.h
#   kinloom_ui_headless  those calls without windows, for tests
#   kinloom_ui_fltk      those calls drawn with FLTK 1.3, for the program
#
# A program links kinloom_ui and exactly one of the two back ends.

add_library(kinloom_ui_resources STATIC src/ui/resources.cc)

add_library(kinloom_ui STATIC
  src/ui/kinloom_resources.cc
  src/ui/main_dialog.cc
  src/ui/secondary_dialogs.cc)
target_link_libraries(kinloom_ui PUBLIC kinloom_engine kinloom_ui_resources)

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
