#!/usr/bin/env bash
# Builds Kinloom with AddressSanitizer (LeakSanitizer on), and
# UndefinedBehaviorSanitizer in build-sanitize and runs the whole test
# suite there, the replay of the committed fuzz corpora included. Any
# sanitizer report stops the test that caused it and fails it. Then the
# tests of whole runs and of the page writer run under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINLOOM_SANITIZE=ON
cmake --build build-sanitize -j"$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"

# The pages and log lines of a run are written by a second thread, the
# names sort is worked out by a third and the work files' blocks go out
# through a fourth while the GEDCOM file is read: the tests that run whole
# sites, the writer's and the store's own tests run once more under
# ThreadSanitizer.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build build-tsan -j"$(nproc)" --target publish_tests run_tests reliability_tests pages_tests store_tests
for tests in publish_tests run_tests reliability_tests pages_tests store_tests; do
  (cd build-tsan && "./$tests" --gtest_brief=1)
done
