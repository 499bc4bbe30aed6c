# Tools that are not part of a run: the GEDCOM tree generator and the floor
# tool of the benchmark (scripts/benchmark.sh), with the generator's tests.

add_library(kinloom_gedgen STATIC tools/gedgen/generator.cc)
target_include_directories(kinloom_gedgen PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(kinloom-gedgen tools/gedgen/main.cc)
target_link_libraries(kinloom-gedgen PRIVATE kinloom_gedgen)

add_executable(kinloom-floor tools/floor/floor.cc)

file(GLOB KINLOOM_TOOLS_TESTS CONFIGURE_DEPENDS tests/tools/*_test.cc)
if(KINLOOM_TOOLS_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(tools_tests ${KINLOOM_TOOLS_TESTS})
  # kinloom_test_support is defined after this file is included; CMake
  # resolves target names when it generates the build.
  target_link_libraries(tools_tests PRIVATE kinloom_gedgen kinloom_test_support GTest::gtest_main)
  gtest_discover_tests(tools_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
endif()
