#!/usr/bin/env bash
# Builds a Release of Kinloom in build-package/, makes the Debian package
# kinloom_<version>_amd64.deb there with CPack, and checks it with lintian
# (errors fail; warnings are printed). Installs the Debian packages it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's packages and the packaging tools (dpkg-dev, lintian,
# desktop-file-utils, librsvg2-bin) are all in the setup script.
./scripts/setup-debian.sh

build=build-package
# Only the programs and their files are built, not the tests.
# Debian's hardening flags (stack protector, fortified functions, read-only
# relocations bound at start).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CXX_FLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" > /dev/null
cmake --build "$build" -j"$(nproc)" --target kinloom kinloom-create kinloom_install_files
desktop-file-validate packaging/kinloom.desktop
(cd "$build" && rm -f kinloom_*.deb && cpack -G DEB > cpack.log) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/kinloom_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
# lintian exits non-zero on errors only (its default --fail-on error).
lintian --info --display-info "$deb"
echo "lintian: no errors"
