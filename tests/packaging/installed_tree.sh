#!/usr/bin/env bash
# Kinloom as a user gets it: the Debian package unpacked into a scratch root
# with dpkg-deb -x, and `cmake --install` under a prefix with a space in
# it. In each, both programs run from where they lie and find their data:
# kinloom-create builds the example tree and the default background picture
# lands in html/; kinloom --help names the installed user guide.
#
#   installed_tree.sh BUILD_DIR
#
# Exits 77 (skipped) when dpkg-deb or cpack is missing.
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in dpkg-deb cpack; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed (apt-get install dpkg-dev cmake)"
    exit 77
  fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kinloom installed XXXXXX")
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs both programs of the tree under prefix and checks what they find.
check_tree() {
  local prefix=$1 what=$2
  local share="$prefix/share/kinloom"
  for file in bin/kinloom-create share/kinloom/help.htm share/kinloom/sand1.jpg \
              share/kinloom/example/family.ged share/kinloom/example/kinloom.cfg \
              share/applications/kinloom.desktop share/icons/hicolor/scalable/apps/kinloom.svg \
              share/icons/hicolor/32x32/apps/kinloom.png share/icons/hicolor/48x48/apps/kinloom.png \
              share/icons/hicolor/128x128/apps/kinloom.png share/man/man1/kinloom.1.gz \
              share/man/man1/kinloom-create.1.gz share/doc/kinloom/copyright \
              share/doc/kinloom/changelog.gz; do
    [ -f "$prefix/$file" ] || fail "$what: $file is missing"
  done

  local tree="$scratch/$what tree"
  mkdir -p "$tree"
  # The example with its pictures, as the README tells.
  cp -r "$share/example/." "$tree/"
  (cd "$tree" && "$prefix/bin/kinloom-create" > out.txt 2> err.txt) ||
    fail "$what: kinloom-create exited $? ($(cat "$tree/err.txt"))"
  [ "$(cat "$tree/out.txt")" = "        Finished!" ] || fail "$what: kinloom-create said $(cat "$tree/out.txt")"
  [ ! -s "$tree/err.txt" ] || fail "$what: kinloom-create complained: $(cat "$tree/err.txt")"
  cmp -s "$tree/html/sand1.jpg" "$share/sand1.jpg" || fail "$what: html/sand1.jpg is not the shipped picture"
  [ -f "$tree/html/surnames.htm" ] || fail "$what: no surnames.htm"

  if [ -x "$prefix/bin/kinloom" ]; then
    local help
    help=$(cd "$tree" && "$prefix/bin/kinloom" --help) || fail "$what: kinloom --help exited $?"
    grep -qF "User guide: $share/help.htm" <<< "$help" || fail "$what: kinloom --help: $help"
  fi
  echo "ok: $what"
}

# The package, made from this build tree.
(cd "$scratch" && cpack -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake" > cpack.log 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/package/kinloom_*_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
if [ -x "$scratch/root/usr/bin/kinloom" ]; then
  dpkg-deb -f "$deb" Depends | grep -q libfltk || fail "the package does not depend on FLTK"
fi
check_tree "$scratch/root/usr" package

# cmake --install under a prefix with a space.
cmake --install "$build" --prefix "$scratch/my programs" > /dev/null
check_tree "$scratch/my programs" install
