#!/usr/bin/env bash
# Runs the Windows build's tests under Wine: the cross-built test programs
# of the engine, the page writers and the reader, the DLL import check, and
# the whole runs of kinloom-create.exe against the Linux kinloom-create
# (built here in build/ when it is missing). Run scripts/build-windows.sh
# first.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build-windows ] || { echo "test-windows.sh: run scripts/build-windows.sh first" >&2; exit 1; }

if [ ! -x build/kinloom-create ]; then
  ./scripts/configure.sh
  cmake --build build -j"$(nproc)" --target kinloom-create
fi

cmake --build build-windows -j"$(nproc)" --target windows-release \
  text_tests platform_tests store_tests publish_tests run_tests gedcom_tests pages_tests reliability_tests \
  gedcom_replay whole_run_replay config_replay text_replay html_replay ui_label_fit_tests

# One Wine prefix for all the tests, made once, quietly, with no attempt
# to download Mono or Gecko (there may be no network), and warmed: its first
# window shown and closed on a virtual display before any test waits for
# one. Prints how long that took.
export WINEPREFIX="$PWD/build-windows/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
tests/windows/wine_prefix.sh "$WINEPREFIX"
wineserver -w

ctest --test-dir build-windows --output-on-failure -j"$(nproc)"
