# The Windows build (cmake/mingw-w64-toolchain.cmake), before any target.

# Release at -O2: GCC 12 at -O3 warns of overlapping copies inside
# std::string that cannot happen (-Wrestrict, a known false positive), and
# this build is to be free of warnings.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")

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
