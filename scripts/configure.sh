#!/usr/bin/env bash
# Configures build/, the one build of Kinloom that the tests, the Debian
# package and the benchmark share: RelWithDebInfo (-O2 -g, the level of
# Debian's own builds) with Debian's hardening flags (stack protector,
# fortified functions, read-only relocations bound at start) when
# dpkg-buildflags is there (dpkg-dev, installed by scripts/setup-debian.sh).
# Further arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
flags=()
if command -v dpkg-buildflags >/dev/null; then
  get() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
  flags=(-DCMAKE_CXX_FLAGS="$(get CXXFLAGS) $(get CPPFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(get LDFLAGS)")
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}" "$@"
