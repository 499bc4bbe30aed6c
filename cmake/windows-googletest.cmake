# GoogleTest for the Windows build, compiled from the sources of Debian's
# googletest package (/usr/src/googletest) with the cross compiler.
set(KINLOOM_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${KINLOOM_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${KINLOOM_GOOGLETEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${KINLOOM_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The sources define GTest::gtest, GTest::gtest_main, GTest::gmock and
# GTest::gmock_main; find_package(GTest) finds this empty package and uses
# them.
file(WRITE ${CMAKE_BINARY_DIR}/googletest-package/GTestConfig.cmake
  "# The targets come from ${KINLOOM_GOOGLETEST_SOURCE}, built in this tree.\n")
set(GTest_DIR ${CMAKE_BINARY_DIR}/googletest-package CACHE PATH "" FORCE)

# Wine as the tests see it: its own prefix in the build tree, quiet, and
# no attempt to download Mono or Gecko.
set(KINLOOM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(KINLOOM_EMULATOR_ENVIRONMENT
  "WINEPREFIX=${KINLOOM_WINEPREFIX}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree,mshtml=")
