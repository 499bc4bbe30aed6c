#!/usr/bin/env bash
# Builds a Release of Kinloom in build-package/, makes the Debian package
# kinloom_<version>_amd64.deb there with CPack, and checks it with lintian
# (errors fail; warnings are printed). Installs the Debian packages it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake libfltk1.3-dev libgtest-dev libgmock-dev
          dpkg-dev lintian desktop-file-utils librsvg2-bin)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

build=build-package
# Only the programs and their files are built, not the tests.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target kinloom kinloom-create kinloom_install_files
desktop-file-validate packaging/kinloom.desktop
(cd "$build" && rm -f kinloom_*.deb && cpack -G DEB > cpack.log) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls "$build"/kinloom_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
# lintian exits non-zero on errors only (its default --fail-on error).
lintian --info --display-info "$deb"
echo "lintian: no errors"
