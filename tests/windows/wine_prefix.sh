#!/usr/bin/env bash
# Makes the Wine prefix PREFIX ready for the tests, once, whoever asks first:
# `wineboot -i` with no display, Marlett in its Fonts folder, then one
# program that opens and closes a window on a virtual display, so that what
# Wine sets up on its first window (the desktop process, fonts, registry
# updates) is paid here and not by the first test's wait. A lock keeps runs
# that start together from making it twice; a prefix made by an older
# script (no mark) is warmed all the same. Prints how long each part took.
#
#   wine_prefix.sh PREFIX
#
# Wine never reaches the network: it is told not to install Mono or Gecko.
set -euo pipefail

prefix=$(realpath -m "${1:?Wine prefix}")
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
mark="$prefix/kinloom-ready"

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$mark" ] && exit 0

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

if [ ! -f "$prefix/system.reg" ]; then
  start=$(now)
  log=$(mktemp)
  if ! DISPLAY="" wineboot -i >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "wine_prefix.sh: wineboot -i failed in $prefix" >&2
    exit 1
  fi
  rm -f "$log"
  DISPLAY="" wineserver -w
  echo "Wine prefix $prefix: made by wineboot -i in $(since "$start") s"
fi

# Debian's Wine leaves the prefix's Fonts folder empty and finds the others
# through fontconfig, but not Marlett, the font of the title bar buttons:
# without it they show as the letters "0 1 r".
marlett=$(ls /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf 2>/dev/null | head -n1 || true)
fonts="$prefix/drive_c/windows/Fonts"
if [ -n "$marlett" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
  cp "$marlett" "$fonts/"
fi

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "Wine prefix $prefix: not warmed ($tool is not installed)"
    exit 0
  fi
done

# The first window: Notepad, shown on a virtual display and closed again.
fail() {
  echo "wine_prefix.sh: $*" >&2
  exit 1
}
source "$(dirname "${BASH_SOURCE[0]}")/../ui/desktop_session.sh"
start_scratch kinloom-wine-prefix
start_virtual_display
start=$(now)
wine notepad >"$scratch/notepad.out" 2>&1 &
kinloom_pid=$!
window=$(wait_for_window 'Notepad$' 900) ||
  fail "Notepad showed no window in $(since "$start") s while warming $prefix"
shown=$(since "$start")
press "$window" alt+F4
wait_for_exit 600
wineserver -w
echo "Wine prefix $prefix: first window shown in $shown s, closed and Wine ended after $(since "$start") s"
touch "$mark"
