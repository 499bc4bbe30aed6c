# Shell functions shared by the tests that run a desktop program on a
# virtual X server (end_to_end.sh, wine_dialog.sh, label_fit.sh and
# wine_prefix.sh). Sourced; the functions after start_scratch expect a
# `fail` function.

# Makes the scratch directory $scratch (named after $1) and sees that it
# goes, with the program ($kinloom_pid) and Xvfb ($xvfb_pid), when the
# script ends.
start_scratch() {
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/$1-XXXXXX")
  xvfb_pid=""
  kinloom_pid=""
  trap end_session EXIT
  # In a sanitizer build, memory the font and X libraries keep to the end
  # is not a leak of ours.
  printf 'leak:libfontconfig\nleak:libX11\nleak:libXft\n' >"$scratch/lsan.supp"
  export LSAN_OPTIONS="suppressions=$scratch/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}

end_session() {
  [ -n "$kinloom_pid" ] && kill "$kinloom_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}

# Starts Xvfb and exports DISPLAY; sets xvfb_pid for the caller's cleanup.
start_virtual_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.err" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
  done
  [ -s "$scratch/display" ] || fail "Xvfb did not start: $(cat "$scratch/xvfb.err")"
  DISPLAY=":$(head -n1 "$scratch/display")"
  export DISPLAY
}

# Prints the id of the first shown window whose title matches the pattern,
# waiting for it up to $2 seconds (20 when not given). Only shown windows
# count: Wine keeps closed ones around unmapped for a while.
wait_for_window() {
  local deadline=$((SECONDS + ${2:-20}))
  while [ "$SECONDS" -lt "$deadline" ]; do
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 | grep . && return 0
    sleep 0.2
  done
  return 1
}

wait_for_window_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

press() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers "$@"
}

# Waits up to $1 tenths of a second (100 when not given) for the program
# started as $kinloom_pid to end; sets kinloom_status to its exit status.
wait_for_exit() {
  for _ in $(seq "${1:-100}"); do
    kill -0 "$kinloom_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$kinloom_pid" 2>/dev/null && fail "the program did not end"
  set +e
  wait "$kinloom_pid"
  kinloom_status=$?
  set -e
  kinloom_pid=""
}

# A three-person tree, tree.ged, and a hand-written kinloom.cfg with a few
# keys (lines ended by LF) in the current directory; the program saves all
# of the keys.
write_sample_tree() {
  cat >tree.ged <<'GED'
0 HEAD
1 CHAR ASCII
0 @I1@ INDI
1 NAME John /Smith/
1 SEX M
1 FAMS @F1@
0 @I2@ INDI
1 NAME Mary /Jones/
1 SEX F
1 FAMS @F1@
0 @I3@ INDI
1 NAME Anne /Smith/
1 SEX F
1 FAMC @F1@
0 @F1@ FAM
1 HUSB @I1@
1 WIFE @I2@
1 CHIL @I3@
0 TRLR
GED
  cat >kinloom.cfg <<'CFG'
BACKGROUND=C
BGCOLOR=FFFFCC
HOME=http://smith.example.test/
EMAIL=john@smith.example.test
GEDFILE=tree.ged
CFG
}
