#!/usr/bin/env bash
# Measures kinloom-create on generated trees against the floor: the time
# this machine needs merely to write the same site from memory.
#
#   scripts/benchmark.sh [--quick] [--runs N] [--sizes "N1 N2 ..."] [--all-size N]
#                        [--rerun-sizes "N1 ..."] [--out DIR] [--plot FILE.png]
#                        [--settle SECONDS] [--pictures N]
#
# Builds the programs in build/ (scripts/configure.sh), generates one tree per size
# (kinloom-gedgen, seed 1), and runs kinloom-create on each with NOTES,
# SOURCES, PHOTOS and SUBDIRS on and a ten-number PEDIGREELIST, and once
# more with PEDIGREEALL on at the --all-size (the photos' pictures are looked
# for in the run's own folder, so that the walk for them does not cross the
# other cases' sites). Each case runs N times; each
# run is followed by one pass of kinloom-floor on the site it wrote. The
# table gives medians: wall and CPU seconds and peak resident memory
# (/usr/bin/time -v), files and bytes written, the floor and the ratio of
# wall time to floor.
#
# Re-runs with CHANGEDONLY=Y, at each of the --rerun-sizes: after one full
# run with the flag (timed too), (a) runs of the unchanged tree and (b) runs
# after one individual's birth place was edited, each N times, beside the
# floor of the full site. rerun.tsv and rerun.md give their medians and the
# files each wrote (lines "written" in kinloom.changes).
#
# Pictures: a tree of N people with one photo each, whose pictures (1 KiB
# each, 100 to a folder) lie in a pictures folder; the photos name them by
# absolute Windows paths of another computer. Timed N times each: (p1) the
# pictures found by their last folders and copied; (p2) the same files
# named with folders that do not exist, so every one is found by the one
# walk of the folder; (p3) a re-run with every copy in place; (p0) the
# pictures folder empty (the pages alone, every picture reported), and
# cp -r of the pictures folder (the bytes alone). pictures.tsv and
# pictures.md give the medians.
#
# Defaults: --runs 3 --sizes "10000 100000 1000000" --all-size 100000
# --rerun-sizes "100000 1000000" --pictures 10000 (--all-size 0: no
# PEDIGREEALL case; --rerun-sizes "": no re-runs; --pictures 0: no
# pictures case).
# --quick: one run, sizes 1000 and 10000, PEDIGREEALL and re-runs at 10000,
# 2000 pictures.
# Results go to --out (default out/benchmark): results.tsv, results.md,
# and the site of the last run of each case.
#
# Nothing is deleted while the clock runs or shortly before: on ext4,
# creating files soon after many were deleted costs several times more
# (the allocator skips recently freed inodes), which would charge one run
# for the clean-up of another. Every run writes into a fresh directory,
# the floor's copy is kept beside it, and all of them, with whatever an
# earlier benchmark left in --out, are removed at the end. Files deleted
# just before the start (by an earlier benchmark's clean-up, say) would
# still slow it for a minute or more, so it first syncs and waits --settle
# seconds (default 90, 0 with --quick). Needs free disk space for every
# site written (some 6 GB at the default sizes).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=3
sizes="10000 100000 1000000"
all_size=100000
rerun_sizes="100000 1000000"
out="$root/out/benchmark"
plot=""
settle=90
pictures=10000
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) runs=1; sizes="1000 10000"; all_size=10000; rerun_sizes=10000; settle=0; pictures=2000 ;;
    --runs) runs="$2"; shift ;;
    --sizes) sizes="$2"; shift ;;
    --all-size) all_size="$2"; shift ;;
    --rerun-sizes) rerun_sizes="$2"; shift ;;
    --out) out="$2"; shift ;;
    --plot) plot="$2"; shift ;;
    --settle) settle="$2"; shift ;;
    --pictures) pictures="$2"; shift ;;
    -h|--help) sed -n '2,54p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "benchmark.sh: unknown argument $1" >&2; exit 64 ;;
  esac
  shift
done
case "$out" in /*) ;; *) out="$root/$out" ;; esac
case "$plot" in ""|/*) ;; *) plot="$root/$plot" ;; esac

if [ ! -x /usr/bin/time ]; then
  echo "benchmark.sh: /usr/bin/time is missing (run scripts/setup-debian.sh)" >&2
  exit 1
fi

# An earlier benchmark's files are moved aside now and deleted at the end.
old=""
if [ -e "$out" ]; then
  old="$out.old.$$"
  mv "$out" "$old"
fi
mkdir -p "$out"
if ! { ./scripts/configure.sh &&
  cmake --build build -j"$(nproc)" --target kinloom-create kinloom-gedgen kinloom-floor
} >"$out/build.log" 2>&1; then
  cat "$out/build.log" >&2
  exit 1
fi
bin="$root/build"
sync
sleep "$settle"

# Median of the numbers on standard input.
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "nan"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Seconds from /usr/bin/time's "h:mm:ss" or "m:ss.ss".
wall_seconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$1"
}

results="$out/results.tsv"
printf 'case\tindividuals\tpedigreeall\truns\twall_s\tcpu_s\tpeak_rss_mb\tfiles\tbytes\tfloor_s\tratio\n' >"$results"

run_case() {
  local label=$1 size=$2 all=$3
  local tree="$out/tree-$size.ged"
  if [ ! -s "$tree" ]; then
    "$bin/kinloom-gedgen" --individuals "$size" --seed 1 --output "$tree" 2>/dev/null
  fi
  local case_dir="$out/case-$label"
  mkdir -p "$case_dir"
  local list="" k
  for k in 1 2 3 4 5 6 7 8 9 10; do
    list="$list${list:+,}$(( (size * k + 9) / 10 ))"
  done
  cat >"$case_dir/kinloom.cfg" <<EOF
HOME=https://www.example.org/benchmark/
EMAIL=benchmark@example.org
GEDFILE=../../tree-$size.ged
NOTES=Y
SOURCES=Y
PHOTOS=Y
SUBDIRS=Y
PEDIGREEALL=$all
PEDIGREELIST=$list
PHOTODIR=.
EOF
  local walls="" cpus="" rsss="" floors="" files=0 bytes=0 r
  for r in $(seq 1 "$runs"); do
    local dir="$case_dir/run-$r"
    mkdir -p "$dir"
    cp "$case_dir/kinloom.cfg" "$dir/"
    sync
    if ! (cd "$dir" && /usr/bin/time -v -o time.txt "$bin/kinloom-create" >/dev/null); then
      echo "benchmark.sh: kinloom-create failed in $dir (see $dir/kinloom.log)" >&2
      exit 1
    fi
    walls="$walls $(wall_seconds "$dir/time.txt")"
    cpus="$cpus $(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$dir/time.txt")"
    rsss="$rsss $(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$dir/time.txt")"
    files=$(find "$dir/html" -type f | wc -l)
    bytes=$(find "$dir/html" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    floors="$floors $("$bin/kinloom-floor" --runs 1 --keep "$dir/html" |
      sed -n 's/.*median_seconds=\([0-9.]*\).*/\1/p')"
    echo "  $label run $r: wall $(echo "$walls" | awk '{ print $NF }') s," \
      "floor $(echo "$floors" | awk '{ print $NF }') s" >&2
  done
  local wall cpu rss floor ratio
  wall=$(echo "$walls" | tr ' ' '\n' | grep . | median)
  cpu=$(echo "$cpus" | tr ' ' '\n' | grep . | median)
  rss=$(echo "$rsss" | tr ' ' '\n' | grep . | median)
  floor=$(echo "$floors" | tr ' ' '\n' | grep . | median)
  ratio=$(awk -v w="$wall" -v f="$floor" 'BEGIN { if (f > 0) printf "%.2f", w / f; else print "nan" }')
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$size" "$all" "$runs" \
    "$wall" "$cpu" "$rss" "$files" "$bytes" "$floor" "$ratio" >>"$results"
}

# One timed run of kinloom-create in directory $1; prints "wall cpu rss".
timed_run() {
  local dir=$1
  if ! (cd "$dir" && /usr/bin/time -v -o time.txt "$bin/kinloom-create" >/dev/null 2>create.err); then
    echo "benchmark.sh: kinloom-create failed in $dir (see $dir/kinloom.log)" >&2
    exit 1
  fi
  echo "$(wall_seconds "$dir/time.txt")" \
    "$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$dir/time.txt")" \
    "$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$dir/time.txt")"
}

rerun_results="$out/rerun.tsv"
printf 'case\tindividuals\truns\twall_s\tcpu_s\tpeak_rss_mb\tfiles_written\tfloor_s\tratio\n' \
  >"$rerun_results"

# One line of rerun.tsv: label, size, floor, files written and the samples
# ("wall cpu rss" per line).
report_rerun() {
  local label=$1 size=$2 floor=$3 files=$4 samples=$5
  local wall cpu rss ratio
  wall=$(echo "$samples" | awk '{ print $1 }' | median)
  cpu=$(echo "$samples" | awk '{ print $2 }' | median)
  rss=$(echo "$samples" | awk '{ print $3 }' | median)
  ratio=$(awk -v w="$wall" -v f="$floor" 'BEGIN { if (f > 0) printf "%.2f", w / f; else print "nan" }')
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$size" "$(echo "$samples" | wc -l)" \
    "$wall" "$cpu" "$rss" "$files" "$floor" "$ratio" >>"$rerun_results"
}

# Re-runs with CHANGEDONLY=Y on a tree of $1 individuals, settings as in
# run_case with PEDIGREEALL off.
rerun_case() {
  local size=$1
  local tree="$out/tree-$size.ged"
  if [ ! -s "$tree" ]; then
    "$bin/kinloom-gedgen" --individuals "$size" --seed 1 --output "$tree" 2>/dev/null
  fi
  local dir="$out/rerun-$size"
  mkdir -p "$dir"
  cp "$tree" "$dir/tree.ged"
  local list="" k
  for k in 1 2 3 4 5 6 7 8 9 10; do
    list="$list${list:+,}$(( (size * k + 9) / 10 ))"
  done
  printf '%s\n' "HOME=https://www.example.org/benchmark/" "EMAIL=benchmark@example.org" \
    "GEDFILE=tree.ged" "NOTES=Y" "SOURCES=Y" "PHOTOS=Y" "SUBDIRS=Y" "PEDIGREELIST=$list" \
    "CHANGEDONLY=Y" >"$dir/kinloom.cfg"
  sync
  local first floor
  first=$(timed_run "$dir")
  floor=$("$bin/kinloom-floor" --runs 1 --keep "$dir/html" |
    sed -n 's/.*median_seconds=\([0-9.]*\).*/\1/p')
  rm -rf "$dir/html.floor"
  echo "  re-run $size: first run with the flag (wall cpu rss) $first, floor $floor s" >&2
  report_rerun "first run with the flag" "$size" "$floor" \
    "$(grep -c '^written ' "$dir/kinloom.changes" || true)" "$first"
  local samples="" r files=0
  for r in $(seq 1 "$runs"); do
    samples="$samples${samples:+$'\n'}$(timed_run "$dir")"
    files=$(grep -c '^written ' "$dir/kinloom.changes" || true)
  done
  echo "  re-run $size (a): $samples" >&2
  report_rerun "(a) unchanged" "$size" "$floor" "$files" "$samples"
  # The birth place of the first individual from the middle of the tree on
  # who has one, a new one for each run.
  local who=$((size / 2))
  samples=""
  for r in $(seq 1 "$runs"); do
    awk -v who="$who" -v place="Edited Place $r" '
      { line = $0; sub(/\r$/, "", line); split(line, f, " ") }  # CR LF lines
      f[1] == "0" { inside = f[2] ~ /^@I[0-9]+@$/ && substr(f[2], 3, length(f[2]) - 3) + 0 >= who + 0 }
      f[1] == "1" { birth = inside && f[2] == "BIRT" }
      birth && f[1] == "2" && f[2] == "PLAC" && !done { print "2 PLAC " place "\r"; done = 1; next }
      { print }
      END { if (!done) exit 1 }' "$tree" >"$dir/tree.ged" || {
      echo "benchmark.sh: no birth place to edit after @I$who@" >&2
      exit 1
    }
    samples="$samples${samples:+$'\n'}$(timed_run "$dir")"
    files=$(grep -c '^written ' "$dir/kinloom.changes" || true)
  done
  echo "  re-run $size (b): $samples" >&2
  report_rerun "(b) one birth place edited" "$size" "$floor" "$files" "$samples"
}

for size in $sizes; do
  echo "tree of $size individuals" >&2
  run_case "$size" "$size" N
  if [ "$size" = "$all_size" ]; then run_case "$size-all" "$size" Y; fi
done
case " $sizes " in *" $all_size "*) ;; *) [ "$all_size" = 0 ] || run_case "$all_size-all" "$all_size" Y ;; esac

{
  echo "| Individuals | PEDIGREEALL | Runs | Wall s | CPU s | Peak RSS MB | Files | Bytes | Floor s | Wall / floor |"
  echo "|---:|:---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  tail -n +2 "$results" | awk -F'\t' '{ printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
    $2, $3, $4, $5, $6, $7, $8, $9, $10, $11 }'
} >"$out/results.md"
cat "$out/results.md"

for size in $rerun_sizes; do
  echo "re-runs on a tree of $size individuals" >&2
  rerun_case "$size"
done
if [ -n "$rerun_sizes" ]; then
  {
    echo "| Individuals | Run (CHANGEDONLY=Y) | Runs | Wall s | CPU s | Peak RSS MB | Files written | Floor s | Wall / floor |"
    echo "|---:|:---|---:|---:|---:|---:|---:|---:|---:|"
    tail -n +2 "$rerun_results" | awk -F'\t' '{ printf "| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
      $2, $1, $3, $4, $5, $6, $7, $8, $9 }'
  } >"$out/rerun.md"
  cat "$out/rerun.md"
fi

# The pictures case: a tree of $1 people, one photo each.
pictures_case() {
  local count=$1
  local dir="$out/pictures-$count"
  mkdir -p "$dir/tree/pictures" "$dir/empty"
  awk -v n="$count" -v root="$dir/tree/pictures" 'BEGIN {
    printf "0 HEAD\r\n1 CHAR UTF-8\r\n" > "/dev/stdout"
    pad = ""; for (i = 0; i < 1023; i++) pad = pad "x"
    for (k = 1; k <= n; k++) {
      folder = sprintf("d%03d", k % 100)
      if (k <= 100) system("mkdir -p " root "/" folder)
      file = root "/" folder "/pic" k ".jpg"
      print pad > file; close(file)
      printf "0 @I%d@ INDI\r\n1 NAME Person %d /Surname%d/\r\n1 OBJE\r\n", k, k, k % 500
      printf "2 FILE C:\\Users\\me\\Pictures\\%s\\pic%d.jpg\r\n2 TITL Picture %d\r\n", folder, k, k
    }
    printf "0 TRLR\r\n" }' >"$dir/tree/found.ged"
  # The same pictures under folders that are not there.
  sed 's/\\\(d[0-9]*\)\\pic/\\old-\1\\pic/' "$dir/tree/found.ged" >"$dir/tree/walked.ged"
  local label ged photodir samples r
  for label in "(p1) found by their last folders" "(p2) found by the walk" \
    "(p3) re-run, all in place" "(p0) pictures folder empty"; do
    case "$label" in
      "(p1)"*) ged=found.ged photodir=tree/pictures ;;
      "(p2)"*) ged=walked.ged photodir=tree/pictures ;;
      "(p3)"*) ged=found.ged photodir=tree/pictures ;;
      "(p0)"*) ged=found.ged photodir=empty ;;
    esac
    samples=""
    for r in $(seq 1 "$runs"); do
      local run_dir="$dir/run-${label:1:2}-$r"
      mkdir -p "$run_dir"
      # (p3) re-runs in the folder of the last (p1) run.
      [ "${label:1:2}" = p3 ] && run_dir="$dir/run-p1-$runs"
      printf '%s\n' "HOME=https://www.example.org/benchmark/" "EMAIL=benchmark@example.org" \
        "GEDFILE=../tree/$ged" "NOTES=Y" "SOURCES=Y" "PHOTOS=Y" "SUBDIRS=Y" \
        "PHOTODIR=../$photodir" >"$run_dir/kinloom.cfg"
      sync
      samples="$samples${samples:+$'\n'}$(timed_run "$run_dir")"
      grep -a '^Pictures: ' "$run_dir/kinloom.log" >&2
    done
    echo "  pictures $count $label: $samples" >&2
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$label" "$count" "$(echo "$samples" | wc -l)" \
      "$(echo "$samples" | awk '{ print $1 }' | median)" \
      "$(echo "$samples" | awk '{ print $2 }' | median)" \
      "$(echo "$samples" | awk '{ print $3 }' | median)" >>"$out/pictures.tsv"
  done
  samples=""
  for r in $(seq 1 "$runs"); do
    sync
    /usr/bin/time -v -o "$dir/cp-time.txt" cp -r "$dir/tree/pictures" "$dir/cp-$r"
    samples="$samples $(wall_seconds "$dir/cp-time.txt")"
  done
  printf '%s\t%s\t%s\t%s\t\t\n' "cp -r of the pictures folder" "$count" "$runs" \
    "$(echo "$samples" | tr ' ' '\n' | grep . | median)" >>"$out/pictures.tsv"
}

if [ "$pictures" != 0 ]; then
  echo "pictures: $pictures" >&2
  printf 'case\tpictures\truns\twall_s\tcpu_s\tpeak_rss_mb\n' >"$out/pictures.tsv"
  pictures_case "$pictures"
  {
    echo "| Pictures | Case | Runs | Wall s | CPU s | Peak RSS MB |"
    echo "|---:|:---|---:|---:|---:|---:|"
    tail -n +2 "$out/pictures.tsv" | awk -F'\t' '{ printf "| %s | %s | %s | %s | %s | %s |\n",
      $2, $1, $3, $4, $5, $6 }'
  } >"$out/pictures.md"
  cat "$out/pictures.md"
fi

# Clean up: the floor's copies, every site but the last of each case, the
# trees, and what an earlier benchmark left.
for case_dir in "$out"/case-*; do
  last="$case_dir/run-$runs"
  for dir in "$case_dir"/run-*; do
    rm -rf "$dir/html.floor"
    [ "$dir" = "$last" ] || rm -rf "$dir"
  done
done
rm -f "$out"/tree-*.ged
rm -rf "$out"/pictures-*/cp-* "$out"/pictures-*/run-p0-* "$out"/pictures-*/run-p2-*
if [ -n "$old" ]; then rm -rf "$old"; fi

if [ -n "$plot" ]; then
  if ! command -v gnuplot >/dev/null; then
    echo "benchmark.sh: gnuplot is missing (run scripts/setup-debian.sh); no plot" >&2
    exit 0
  fi
  awk -F'\t' 'NR > 1 && $3 == "N" { print $2, $5, $10, $7 }' "$results" >"$out/plot.dat"
  gnuplot <<EOF
set terminal pngcairo size 900,420 font "sans,10"
set output "$plot"
set multiplot layout 1,2 title "kinloom-create on generated trees (median of $runs run(s) per point)"
set logscale x
set logscale y
set grid
set key top left
set xlabel "individuals"
set ylabel "seconds"
set format x "%.0s%c"
plot "$out/plot.dat" using 1:2 with linespoints pt 7 title "kinloom-create wall", \
     "$out/plot.dat" using 1:3 with linespoints pt 5 title "floor (writing the site only)"
unset logscale y
set logscale y
set ylabel "MB"
plot "$out/plot.dat" using 1:4 with linespoints pt 7 title "peak resident memory"
unset multiplot
EOF
  echo "plot: $plot" >&2
fi
