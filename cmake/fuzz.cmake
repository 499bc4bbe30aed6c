# Fuzz targets and the replay of their corpora.
#
# With KINLOOM_FUZZ=ON (clang only: CC=clang CXX=clang++) the whole engine
# is built with coverage for libFuzzer and with AddressSanitizer and
# UndefinedBehaviorSanitizer, and each target <name>_fuzzer is a libFuzzer
# program:
#   gedcom_fuzzer     ReadGedcom and IsValidGedcom on arbitrary bytes
#   whole_run_fuzzer  CreateKinloom, every option on, SUBDIRS both ways
#   config_fuzzer     LoadConfiguration, and a save that loads back the same
#   text_fuzzer       character-set conversions and name helpers
#   html_fuzzer       escapes of GEDCOM texts for pages, the note rebuilder
#
# In every build each target also gets <name>_replay, the same code with a
# small main() that feeds it each file of fuzz/corpus/<name>, and a test
# fuzz_replay.<name> that runs it; in a KINLOOM_SANITIZE build that is the
# corpus replayed under the sanitizers, without libFuzzer.

option(KINLOOM_FUZZ "Build the libFuzzer targets (clang only)" OFF)
set(KINLOOM_FUZZ_TARGETS gedcom whole_run config text html)

if(KINLOOM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KINLOOM_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(kinloom_fuzz_support STATIC fuzz/fuzz_support.cc)
target_link_libraries(kinloom_fuzz_support PUBLIC kinloom_engine)
target_include_directories(kinloom_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR}/fuzz)

enable_testing()
foreach(name ${KINLOOM_FUZZ_TARGETS})
  if(KINLOOM_FUZZ)
    add_executable(${name}_fuzzer fuzz/${name}_fuzzer.cc)
    target_link_libraries(${name}_fuzzer PRIVATE kinloom_fuzz_support)
    target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
  endif()
  add_executable(${name}_replay fuzz/${name}_fuzzer.cc fuzz/replay_main.cc)
  target_link_libraries(${name}_replay PRIVATE kinloom_fuzz_support)
  add_test(NAME fuzz_replay.${name}
           COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(fuzz_replay.${name} PROPERTIES LABELS fuzz_replay TIMEOUT 600)
endforeach()
