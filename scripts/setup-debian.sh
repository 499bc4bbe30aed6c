#!/usr/bin/env bash
# Installs the Debian 12 packages Kinloom needs to build, test and run.
set -euo pipefail
packages=(
  build-essential cmake g++ clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfltk1.3-dev xvfb xdotool x11-utils imagemagick
  time gnuplot-nox
  binutils-mingw-w64-x86-64
  dpkg-dev librsvg2-bin desktop-file-utils lintian
  chromium
)
"$(dirname "$0")/install-debian-packages.sh" "${packages[@]}"
