#!/usr/bin/env bash
# Runs the desktop program as a user would, on a virtual X server.
#
#   end_to_end.sh no-display  KINLOOM        without a display it says so, exits 1
#   end_to_end.sh create-page KINLOOM        Create Page and Quit through the window system
#   end_to_end.sh screenshots KINLOOM DIR    pictures of every dialog into DIR: the
#                                            main dialog, the colour picker, the
#                                            caption editor, the pictures folder and
#                                            the about box
#
# KINLOOM is the path of the `kinloom` program. Each mode works in a scratch
# directory of its own. Exits 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail

mode=${1:?mode}
kinloom=$(realpath "${2:?path of kinloom}")
[ "$mode" = screenshots ] && pictures=$(mkdir -p "${3:?directory for the pictures}" && realpath "$3")
source "$(dirname "${BASH_SOURCE[0]}")/desktop_session.sh"
start_scratch kinloom-e2e

fail() {
  echo "FAIL: $*" >&2
  for f in kinloom.out kinloom.err kinloom.log; do
    [ -f "$scratch/$f" ] && { echo "--- $f" >&2; cat "$scratch/$f" >&2; }
  done
  exit 1
}

# --- Without a display -------------------------------------------------------
if [ "$mode" = no-display ]; then
  for display in unset ":987"; do
    set +e
    if [ "$display" = unset ]; then
      (cd "$scratch" && env -u DISPLAY "$kinloom" >out 2>err)
    else
      (cd "$scratch" && DISPLAY="$display" "$kinloom" >out 2>err)
    fi
    status=$?
    set -e
    [ "$status" -eq 1 ] || fail "DISPLAY $display: exit status $status, not 1"
    grep -q "needs a display" "$scratch/err" || fail "DISPLAY $display: no word of the display"
    grep -q "kinloom-create" "$scratch/err" || fail "DISPLAY $display: kinloom-create not named"
    [ ! -s "$scratch/out" ] || fail "DISPLAY $display: wrote to standard output"
    [ ! -e "$scratch/kinloom.cfg" ] || fail "DISPLAY $display: wrote kinloom.cfg"
  done
  echo "ok: without a display kinloom says so and exits 1"
  exit 0
fi

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

# --- A virtual display ---------------------------------------------------------
start_virtual_display


cd "$scratch"
write_sample_tree

"$kinloom" >kinloom.out 2>kinloom.err &
kinloom_pid=$!
# The title names the folder the dialog works in.
main=$(wait_for_window "^Kinloom - $(pwd | sed 's/[.]/\\&/g')\$") || true
[ -n "$main" ] || fail "the main dialog did not show, titled with its folder"

# --- Create Page ---------------------------------------------------------------
if [ "$mode" = create-page ]; then
  # Create Page is the default button: Enter starts the run.
  press "$main" Return
  box=$(wait_for_window '^Kinloom Create$' 120) || true
  [ -n "$box" ] || fail "no Kinloom Create message box"
  tail -n1 kinloom.log | grep -qx '<CreateKinloom 0' || fail "the run did not finish"
  press "$box" Return
  wait_for_window_gone '^Kinloom Create$' || fail "the message box did not go away"

  # File, Exit.
  press "$main" alt+f
  sleep 0.3
  xdotool key x
  wait_for_exit
  [ "$kinloom_status" -eq 0 ] || fail "kinloom ended with status $kinloom_status"

  [ -d html ] || fail "no html directory"
  for page in html/fam00001.htm html/surnames.htm html/gendex.txt; do
    [ -s "$page" ] || fail "$page was not written"
  done
  [ "$(wc -l <kinloom.cfg)" -eq 47 ] || fail "kinloom.cfg does not hold all 47 keys"
  grep -qx 'EMAIL=john@smith.example.test' kinloom.cfg || fail "EMAIL not saved"
  grep -qx 'GEDFILE=tree.ged' kinloom.cfg || fail "GEDFILE not saved"
  head -n1 kinloom.cfg | grep -qx 'BACKGROUND=C' || fail "kinloom.cfg not in its order"
  if ls ./*.dat ./*.idx >/dev/null 2>&1; then fail "work files left behind"; fi
  echo "ok: Create Page finished, the site and the saved kinloom.cfg are there"
  exit 0
fi

# --- Screenshots -----------------------------------------------------------------
if [ "$mode" = screenshots ]; then
  out=$pictures
  shoot() {
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$1")"
    # A palette picture without dates in it: small, and the same each time.
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip "PNG8:$out/$2"
  }
  shoot "$main" main-dialog.png

  # Tab from the first radio button, past the second and the colour field,
  # to the first Pick button.
  press "$main" Tab Tab Tab Return
  picker=$(wait_for_window '^Colors$') || true
  [ -n "$picker" ] || fail "the colour picker did not show"
  shoot "$picker" colour-picker.png
  press "$picker" Return  # picks the focused colour and closes

  # Menu item $2 of menu $1 (keys), then the picture of the window that
  # shows into $3; Return closes it. The window is the one shown that was
  # not before (the about box has no title to find it by).
  visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
  shoot_menu() {
    local before window
    before=$(visible_windows)
    press "$main" "alt+$1"
    sleep 0.3
    xdotool key "$2"
    for _ in $(seq 100); do
      window=$(comm -13 <(echo "$before") <(visible_windows) | head -n1)
      [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || fail "no window showed after alt+$1 $2"
    shoot "$window" "$3"
    press "$window" Return
    for _ in $(seq 100); do
      visible_windows | grep -qx "$window" || return 0
      sleep 0.1
    done
    fail "the window of alt+$1 $2 did not go away"
  }
  shoot_menu e e caption-editor.png
  shoot_menu e p pictures-folder.png
  shoot_menu h a about-box.png

  press "$main" alt+f
  sleep 0.3
  xdotool key x
  wait_for_exit
  echo "ok: screenshots in $out"
  exit 0
fi

fail "unknown mode $mode"
