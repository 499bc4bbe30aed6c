#!/usr/bin/env bash
# Runs the Windows desktop program, kinloom.exe, under Wine on a virtual X
# server, as a user would.
#
#   wine_dialog.sh create-page KINLOOM_EXE PREFIX      Enter presses Create Page, the
#                                                      "Kinloom Create" box shows, the site
#                                                      is written; File, Exit saves
#                                                      kinloom.cfg with CR LF line ends
#   wine_dialog.sh browse      KINLOOM_EXE PREFIX      Browse chooses trees\tree.ged in the
#                                                      open-file dialog; the path relative
#                                                      to the folder is saved and read
#   wine_dialog.sh help        KINLOOM_EXE PREFIX      Help, Help opens help.htm beside
#                                                      the program, then the one of the
#                                                      current directory once there is one,
#                                                      and a box when there is none
#   wine_dialog.sh screenshots KINLOOM_EXE PREFIX DIR  pictures of every dialog with its
#                                                      title bar into DIR, named
#                                                      windows-*.png (Wine draws the
#                                                      windows on a desktop of its own)
#
# PREFIX is the Wine prefix to use (made and warmed on first use by
# tests/windows/wine_prefix.sh; several runs may share it). Wine never reaches the network: it is told not to install Mono or
# Gecko. Each run works in a scratch directory of its own. Exits 77
# (skipped) when wine, Xvfb or xdotool is missing.
set -euo pipefail

mode=${1:?mode}
exe=$(realpath "${2:?path of kinloom.exe}")
prefix=${3:?Wine prefix}
[ "$mode" = screenshots ] && pictures=$(mkdir -p "${4:?directory for the pictures}" && realpath "$4")

for tool in wine wineserver Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
if [ "$mode" = screenshots ] && ! command -v import >/dev/null; then
  echo "SKIP: import (imagemagick) is not installed"
  exit 77
fi

export WINEPREFIX
WINEPREFIX=$(realpath -m "$prefix")
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

source "$(dirname "${BASH_SOURCE[0]}")/desktop_session.sh"
start_scratch kinloom-wine

fail() {
  echo "FAIL: $*" >&2
  for f in kinloom.out kinloom.log; do
    [ -f "$scratch/$f" ] && { echo "--- $f" >&2; cat "$scratch/$f" >&2; }
  done
  exit 1
}

# --- The Wine prefix -------------------------------------------------------------
# Made and warmed once (its first window shown and closed) by whichever run
# comes first; the others wait for it. Then any Wine session still ending
# in it (one started without a display, say) is let go first, so that the
# program's windows go to this run's display.
bash "$(dirname "${BASH_SOURCE[0]}")/../windows/wine_prefix.sh" "$WINEPREFIX" ||
  fail "the Wine prefix could not be made"
wineserver -w

# --- A virtual display -------------------------------------------------------------
start_virtual_display

# How long the program's first window may take: a cold start, prefix made
# and Wine's first window on this display, took 25 to 30 s on the 2-core
# machine at a load average of 9 to 17 (wineboot -i 18 to 25 s, the first
# window 2 to 5 s; wine_prefix.sh prints both); the wait leaves a margin of
# ten times that.
first_window_wait=300

# What Wine was doing when a window did not show, for the failure message.
wine_state() {
  if [ -n "$kinloom_pid" ] && ! kill -0 "$kinloom_pid" 2>/dev/null; then
    echo "the program had ended (see kinloom.out)"
    return
  fi
  local p
  for p in $(pgrep -u "$(id -u)" -f 'wineboot' || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "Wine was still starting: wineboot was still running in the prefix"
      return
    fi
  done
  local titles
  titles=$(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | paste -sd, || true)
  if [ -z "$titles" ]; then
    echo "Wine was still starting: no window of any kind on the display yet"
  else
    echo "Wine had started; windows shown: $titles"
  fi
}

# Starts the program (the command line in "$@"), output to kinloom.out, and
# sets main to the id of its main dialog (or of the window named
# $window_name); fails saying how long it waited and what Wine was doing.
start_program() {
  local started=$SECONDS
  "$@" >kinloom.out 2>&1 &
  kinloom_pid=$!
  main=$(wait_for_window "${window_name:-^Kinloom - $(windows_folder)\$}" "$first_window_wait") ||
    fail "${window_what:-the main dialog, titled with its folder,} did not show after $((SECONDS - started)) s (waited up to $first_window_wait s; $(wine_state))"
}

file_menu_exit() {
  press "$1" alt+f
  sleep 0.5
  xdotool key x
  wait_for_exit 300
  [ "$kinloom_status" -eq 0 ] || fail "kinloom.exe ended with status $kinloom_status"
}

cd "$scratch"
write_sample_tree
# The folder as Wine names it (drive Z: is the Linux root), as a pattern.
windows_folder() { echo "Z:$(pwd | tr / '\\')" | sed 's/[\\.]/\\&/g'; }

# --- Create Page -------------------------------------------------------------------
if [ "$mode" = create-page ]; then
  start_program wine "$exe"

  # Create Page is the default button: Enter starts the run.
  press "$main" Return
  box=$(wait_for_window '^Kinloom Create$' 120) || fail "no Kinloom Create message box"
  tail -n1 kinloom.log | tr -d '\r' | grep -qx '<CreateKinloom 0' || fail "the run did not finish"
  press "$box" Return
  wait_for_window_gone '^Kinloom Create$' || fail "the message box did not go away"

  file_menu_exit "$main"

  for page in html/fam00001.htm html/surnames.htm html/gendex.txt; do
    [ -s "$page" ] || fail "$page was not written"
  done
  [ "$(wc -l <kinloom.cfg)" -eq 47 ] || fail "kinloom.cfg does not hold all 47 keys"
  [ "$(grep -c $'\r$' kinloom.cfg)" -eq 47 ] || fail "kinloom.cfg has lines not ended by CR LF"
  [ "$(tail -c2 kinloom.cfg | od -An -c | tr -d ' ')" = '\r\n' ] || fail "kinloom.cfg is cut short"
  tr -d '\r' <kinloom.cfg | grep -qx 'EMAIL=john@smith.example.test' || fail "EMAIL not saved"
  tr -d '\r' <kinloom.cfg | grep -qx 'GEDFILE=tree.ged' || fail "GEDFILE not saved"
  head -n1 kinloom.cfg | tr -d '\r' | grep -qx 'BACKGROUND=C' || fail "kinloom.cfg not in its order"
  [ ! -e kinloom.cfg.tmp ] || fail "kinloom.cfg.tmp left behind"
  if ls ./*.dat ./*.idx >/dev/null 2>&1; then fail "work files left behind"; fi
  echo "ok: under Wine, Create Page finished, the site and kinloom.cfg (CR LF) are there"
  exit 0
fi

# --- Browse ------------------------------------------------------------------------
if [ "$mode" = browse ]; then
  mkdir trees
  mv tree.ged trees/
  start_program wine "$exe"

  # A click into the GEDCOM file field (the middle of its left half: dialog
  # units 12-176 across, 136-148 down, drawn 6 by 12 pixels per 4 by 8
  # units below a menu bar of about 19 pixels), then Tab to Browse.
  xdotool windowfocus --sync "$main"
  xdotool mousemove --window "$main" 100 232 click 1
  sleep 0.5
  xdotool key --clearmodifiers Tab space
  open=$(wait_for_window '^Open$' 60) || fail "Browse showed no open-file dialog"
  sleep 1
  press "$open" t r e e s backslash t r e e period g e d Return
  wait_for_window_gone '^Open$' || fail "the open-file dialog did not go away"

  # Back in the GEDCOM field, Enter presses Create Page with the chosen path.
  press "$main" shift+Tab Return
  box=$(wait_for_window '^Kinloom Create$' 120) || fail "no Kinloom Create message box"
  tail -n1 kinloom.log | tr -d '\r' | grep -qx '<CreateKinloom 0' || fail "the run did not finish"
  press "$box" Return
  wait_for_window_gone '^Kinloom Create$' || fail "the message box did not go away"
  file_menu_exit "$main"

  [ -s html/fam00001.htm ] || fail "html/fam00001.htm was not written"
  # A file under the working folder is kept relative to it.
  expected='GEDFILE=trees\tree.ged'
  tr -d '\r' <kinloom.cfg | grep -qxF "$expected" || fail "GEDFILE is not $expected"
  echo "ok: under Wine, Browse chose the GEDCOM file under the folder, kept it relative, and the run read it"
  exit 0
fi

# --- Help ----------------------------------------------------------------------------
if [ "$mode" = help ]; then
  # The program in a folder of its own with its user guide; the tree in
  # another. Wine's trace of the shell tells which document Help asked for.
  mkdir program
  cp "$exe" program/
  echo '<html><body>Help</body></html>' >program/help.htm
  windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
  help_asked_for() {
    grep -F "trace:exec:ShellExecuteA " kinloom.out | tail -n1 | grep -qF "\"$(windows_path "$1" | sed 's/\\/\\\\/g')\""
  }
  WINEDEBUG=trace+exec start_program wine program/kinloom.exe

  # Wine without a browser has no program for .htm: Help says so in a box
  # (titled "Kinloom"), which is closed to go on.
  shell_calls() { grep -c "trace:exec:ShellExecuteA " kinloom.out || true; }
  choose_help() {
    press "$main" alt+h
    sleep 0.5
    xdotool key h
    local box
    box=$(wait_for_window '^Kinloom$' 20) || return 1
    press "$box" Return
    wait_for_window_gone '^Kinloom$' || fail "the message box did not go away"
  }
  choose_help || true
  help_asked_for program/help.htm || fail "Help did not open the help.htm beside the program"

  echo '<html><body>Local help</body></html>' >help.htm
  choose_help || true
  help_asked_for help.htm || fail "Help did not open the help.htm of the current directory"

  # No guide anywhere: a box says where Help looked, and the shell is not
  # asked.
  rm help.htm program/help.htm
  calls=$(shell_calls)
  choose_help || fail "Help that found nothing said nothing"
  [ "$(shell_calls)" = "$calls" ] || fail "Help asked the shell for a guide that is nowhere"

  file_menu_exit "$main"
  echo "ok: under Wine, Help opened the user guide beside the program, then the one here, and said where it looked when there was none"
  exit 0
fi

# --- Screenshots -------------------------------------------------------------------
if [ "$mode" = screenshots ]; then
  # Without a window manager Wine draws no title bars; on a Wine desktop it
  # draws them itself, as Windows does.
  window_name=KinloomShot window_what="the Wine desktop" start_program wine explorer /desktop=KinloomShot,640x560 "$exe"
  desktop=$main
  # The dialog is drawn inside the desktop window: wait for its pixels.
  sleep 8
  # The keyboard goes to the desktop window, and a click on the title bar
  # sends it on to the dialog. (The title bar stays drawn as that of an
  # inactive window all the same.)
  xdotool windowfocus --sync "$desktop"
  xdotool mousemove --window "$desktop" 200 8 click 1
  sleep 1
  # The main dialog sits at the desktop's top left; the plain desktop
  # around it is cut away.
  import -window "$desktop" desktop.png
  # (Palette pictures without dates in them: small, and the same each time.)
  convert desktop.png -trim +repage -strip "PNG8:$pictures/windows-main-dialog.png"

  # A dialog over the main one: its picture is what changed on the desktop
  # when it showed, cut out. The desktop before is taken with the main
  # dialog inactive (a click on the empty desktop), as it is drawn under
  # the other dialog, so that only that dialog differs.
  #   shoot PICTURE CLOSE-KEY keys KEY...    keys pressed in the main dialog
  #   shoot PICTURE CLOSE-KEY click X Y      a click in it, at X Y on the desktop
  shoot() {
    local picture=$1 close=$2 how=$3
    shift 3
    xdotool mousemove --window "$desktop" 630 550 click 1
    sleep 1
    import -window "$desktop" before.png
    xdotool windowfocus --sync "$desktop"
    xdotool mousemove --window "$desktop" 200 8 click 1
    sleep 1
    if [ "$how" = click ]; then
      xdotool mousemove --window "$desktop" "$1" "$2" click 1
    else
      for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.5
      done
    fi
    sleep 3
    import -window "$desktop" after.png
    local changed
    changed=$(convert before.png after.png -compose difference -composite -format '%@' info:)
    case "$changed" in
      0x0*) fail "nothing showed for $picture" ;;
    esac
    convert after.png -crop "$changed" +repage -strip "PNG8:$pictures/$picture"
    xdotool key --clearmodifiers "$close"
    sleep 2
  }
  # The first Pick button (dialog units 139-176 across, 3-15 down, below
  # the title bar and the menu); the picker is closed without a choice.
  shoot windows-colour-picker.png alt+F4 click 238 55
  shoot windows-caption-editor.png Return keys alt+e e
  shoot windows-pictures-folder.png Return keys alt+e p
  shoot windows-about-box.png Return keys alt+h a
  file_menu_exit "$desktop"
  echo "ok: pictures of the dialogs in $pictures"
  exit 0
fi

fail "unknown mode $mode"
