#!/usr/bin/env bash
# Runs the label-fit test program (label_fit_test.cc) on a virtual X server:
#
#   label_fit.sh TESTS              the FLTK back end's
#   label_fit.sh TESTS.exe PREFIX   the Windows one's, under Wine in the Wine
#                                   prefix PREFIX (made and warmed on first
#                                   use by tests/windows/wine_prefix.sh)
#
# Exits 77 (skipped) when Xvfb, or for the Windows test Wine, is missing.
set -euo pipefail

tests=$(realpath "${1:?path of the test program}")
prefix=${2:-}
tools=(Xvfb)
[ -n "$prefix" ] && tools+=(wine wineserver)
for tool in "${tools[@]}"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

source "$(dirname "${BASH_SOURCE[0]}")/desktop_session.sh"
start_scratch kinloom-label-fit
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ -n "$prefix" ]; then
  export WINEPREFIX
  WINEPREFIX=$(realpath -m "$prefix")
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  bash "$(dirname "${BASH_SOURCE[0]}")/../windows/wine_prefix.sh" "$WINEPREFIX" ||
    fail "the Wine prefix could not be made"
  # Any Wine session still ending in the prefix is let go first, so that
  # this one uses this run's display.
  wineserver -w
fi

start_virtual_display
cd "$scratch"
if [ -n "$prefix" ]; then
  wine "$tests"
else
  "$tests"
fi
