#!/usr/bin/env bash
# The fuzz campaign. Builds the libFuzzer targets with clang (coverage,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs them two at a time,
# each for SECONDS (default 1800), on a working corpus that starts from the
# committed one in fuzz/corpus. Then each committed corpus is minimised
# again with -merge=1 from itself and the working corpus. Logs, working
# corpora and findings (crash-*, leak-*, timeout-*, oom-*) stay in the
# build directory ($FUZZ_BUILD, default build-fuzz).
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]     TARGET: gedcom whole_run config text html
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(gedcom whole_run config text html)
build=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINLOOM_FUZZ=ON
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

# Every input makes and removes a scratch directory with a dozen files:
# a RAM disk makes that many times faster.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
root=$PWD
mkdir -p "$build/findings"

max_len() {
  case $1 in
    gedcom) echo 8192 ;;
    text) echo 1024 ;;
    html) echo 2048 ;;
    *) echo 4096 ;;
  esac
}

run_target() {
  local t=$1
  mkdir -p "$build/work/$t"
  "$build/${t}_fuzzer" -artifact_prefix="$root/$build/findings/$t-" -max_len="$(max_len "$t")" \
    -timeout=30 -rss_limit_mb=4096 -max_total_time="$seconds" -print_final_stats=1 \
    "$build/work/$t" "fuzz/corpus/$t" >"$build/$t.log" 2>&1 || true
  grep -E '^(#[0-9]+.*DONE|stat::)' "$build/$t.log" | sed "s/^/$t: /" || true
}

# Two targets at a time, one per core.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run_target "${targets[i]}" &
  if ((i + 1 < ${#targets[@]})); then run_target "${targets[i + 1]}" & fi
  wait
done

for t in "${targets[@]}"; do
  merged="$build/merged/$t"
  rm -rf "$merged" && mkdir -p "$merged"
  # Coverage edges only (no hit counts): a corpus of a few hundred small
  # files that reaches every edge the campaign reached.
  "$build/${t}_fuzzer" -merge=1 -use_counters=0 -max_len="$(max_len "$t")" -timeout=30 "$merged" "fuzz/corpus/$t" \
    "$build/work/$t" >"$build/$t-merge.log" 2>&1
  rm -rf "fuzz/corpus/$t" && mv "$merged" "fuzz/corpus/$t"
  echo "$t: corpus of $(ls "fuzz/corpus/$t" | wc -l) files, $(du -sk "fuzz/corpus/$t" | cut -f1) KiB"
done
ls "$build/findings"
