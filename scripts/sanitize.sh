#!/usr/bin/env bash
# Builds Kinloom with AddressSanitizer (LeakSanitizer on), and
# UndefinedBehaviorSanitizer in build-sanitize and runs the whole test
# suite there, the replay of the committed fuzz corpora included. Any
# sanitizer report stops the test that caused it and fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINLOOM_SANITIZE=ON
cmake --build build-sanitize -j"$(nproc)"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)"
