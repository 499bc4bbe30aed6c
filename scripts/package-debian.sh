#!/usr/bin/env bash
# Makes the Debian package kinloom_<version>_amd64.deb in build/ with CPack,
# from the programs of the shared build (scripts/configure.sh: -O2 -g with
# Debian's hardening flags), and checks it with lintian (errors fail;
# warnings are printed). Installs the Debian packages it needs, unless
# KINLOOM_SETUP_DONE is set (CI has run scripts/setup-debian.sh already).
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's packages and the packaging tools (dpkg-dev, lintian,
# desktop-file-utils, librsvg2-bin) are all in the setup script.
[ -n "${KINLOOM_SETUP_DONE:-}" ] || ./scripts/setup-debian.sh

build=build
# Only the programs and their files are built here, not the tests (CPack
# does not build everything first).
./scripts/configure.sh -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target kinloom kinloom-create kinloom_install_files
desktop-file-validate packaging/kinloom.desktop
(cd "$build" && rm -f kinloom_*.deb && cpack -G DEB > cpack.log) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/kinloom_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
# lintian exits non-zero on errors only (its default --fail-on error).
lintian --info --display-info "$deb"
echo "lintian: no errors"
