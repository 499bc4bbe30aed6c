#!/usr/bin/env bash
# Cross-builds the Windows release on Debian 12: kinloom-create.exe,
# kinloom.exe and kinloom-<version>-windows-x64.zip in build-windows/, then
# checks that the programs import nothing but Windows' own DLLs.
# Installs the cross compilers, Wine and zip when they are missing (with
# sudo when not run as root).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make mingw-w64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest wine wine64 zip
)
./scripts/install-debian-packages.sh "${packages[@]}"

cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-toolchain.cmake
# The programs and the zip; the test programs are built by
# scripts/test-windows.sh.
cmake --build build-windows -j"$(nproc)" --target windows-release
./scripts/check-windows-imports.sh build-windows/*.exe
ls build-windows/kinloom-*-windows-x64.zip
