#!/usr/bin/env bash
# The resource script kinloom-rc writes compiles with the Windows resource
# compiler, and the compiled resources hold the main dialog, its menu, the
# string table and the icon.
#
#   resource_script.sh KINLOOM_RC WINDRES
#
# Exits 77 (skipped) when WINDRES is empty or missing.
set -euo pipefail

rc=$(realpath "${1:?path of kinloom-rc}")
windres=${2:-}
if [ -z "$windres" ] || ! command -v "$windres" >/dev/null; then
  echo "SKIP: no Windows resource compiler (x86_64-w64-mingw32-windres, Debian's binutils-mingw-w64)"
  exit 77
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kinloom-rc-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$rc" "$scratch" || fail "kinloom-rc failed"
[ -s "$scratch/kinloom.rc" ] || fail "no kinloom.rc"
[ -s "$scratch/kinloom.ico" ] || fail "no kinloom.ico"
"$windres" -I "$scratch" -I "$(dirname "$0")/../../src/apps" -i "$scratch/kinloom.rc" -O res -o "$scratch/kinloom.res" 2>"$scratch/err" ||
  fail "windres refused the script: $(cat "$scratch/err")"
# Read back as a script, the compiled resources still name what the
# program looks up (in any case: resource and class names are stored in
# capitals, and looked up without regard to case).
"$windres" -i "$scratch/kinloom.res" -O rc -o "$scratch/back.rc" || fail "windres cannot read back"
for expected in 'RT_MANIFEST' 'KINLOOMMENU" MENU' '1 DIALOGEX' 'CLASS "KinloomDialog"' 'MS Shell Dlg' \
  '2, "Gedcom Files(*.GED)|*.ged|"' '"KINLOOM" 14' 'Create Page'; do
  grep -qiF "$expected" "$scratch/back.rc" || fail "the compiled resources lack $expected"
done
echo "ok: kinloom.rc compiles, with its dialogs, menu, strings and icon"
