#!/usr/bin/env bash
# Whole-run benchmark, this build beside a baseline build, measured alternately in one loop
# on one machine. Generates a working folder on the disk of the build (100 adjustment
# points; PUNKTY.ept of 500,000 records = 1,000,000 pairs; DZIALKI.edz of 1,000,000 vertex
# lines = 2,000,000 pairs) and runs, RUNS times each (default 5), in turn:
#   PROJ's cct over the same 1,000,000 pairs with a 2D Helmert, written to a file:
#     cct -d 2 -z 0 -t 0 -o OUT +proj=helmert +x=10 +y=-20 +s=1.00001 +theta=3 IN
#   the batch program of each build on the points, the parcels, TRANSPKT.BIN alone and
#   the demo folder (every core; fsync included, as always).
# Prints medians with min-max per build, the ratio to cct per pair, peak memory and minor
# page faults, the shared libraries loaded at start, and the correction's cost per
# adjustment point per pair (micro_bench, one core) up to 200,000 points. With SKIP_200K
# unset, once more a full run with 200,000 adjustment points and no map files (this build;
# about five minutes on two cores).
# Usage: [BASE_BUILD="../old/build ..."] bash bench/whole_run.sh [RUNS]
# BASE_BUILD names build folders of the commits to compare with (their bin/zornak_batch),
# separated by blanks; each is a column named after the folder above it. Without it only
# this build is measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
base=${BASE_BUILD:-}
runs=${1:-5}
bash "$root/scripts/setup-debian.sh" proj-bin libbenchmark-dev time
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_BENCHMARKS=ON
work=$build/bench-run
rm -rf "$work"
mkdir -p "$work/all" "$work/points" "$work/parcels" "$work/transpkt" "$work/full"
"$build/bin/make_bench_folder" "$work/all" 500000 1000000 100
cp "$work/all/TRANSPKT.BIN" "$work/all/PUNKTY.ept" "$work/points/"
cp "$work/all/TRANSPKT.BIN" "$work/all/DZIALKI.edz" "$work/parcels/"
cp "$work/all/TRANSPKT.BIN" "$work/transpkt/"
cp -r "$root/examples/demo" "$work/demo"
helmert=(+proj=helmert +x=10 +y=-20 +s=1.00001 +theta=3)

builds=()
declare -A program=()
for b in $base; do
  name=$(basename "$(dirname "$(realpath "$b")")")
  builds+=("$name")
  program[$name]="$b/bin/zornak_batch"
done
builds+=(this)
program[this]="$build/bin/zornak_batch"

# name, then the command; appends "seconds kilobytes minor-faults" to $work/name.times. Exit
# status 6 (suspect points) is a complete run too: among 200,000 clean points the test at
# alpha = 0.001 per point flags about 200.
measure() {
  local name=$1 status=0
  shift
  /usr/bin/time -f "%e %M %R" -o "$work/$name.one" "$@" > /dev/null 2>&1 || status=$?
  if [ "$status" != 0 ] && [ "$status" != 6 ]; then
    echo "$name: exit status $status" >&2
    exit 1
  fi
  grep -v '^Command exited' "$work/$name.one" >> "$work/$name.times"
}

cases=(points parcels transpkt demo)
for ((run = 1; run <= runs; run++)); do
  measure cct cct -d 2 -z 0 -t 0 -o "$work/cct_output.txt" "${helmert[@]}" "$work/all/cct_input.txt"
  for c in "${cases[@]}"; do
    for b in "${builds[@]}"; do
      measure "$c.$b" "${program[$b]}" "$work/$c"
    done
  done
done

# median, min and max of column 1; max of columns 2 (KB) and 3 (faults)
stats() { sort -n "$work/$1.times" | awk '{t[NR]=$1; if ($2>m) m=$2; if ($3>f) f=$3} END {
  printf "%.3f %.3f %.3f %d %d\n", (NR%2 ? t[(NR+1)/2] : (t[NR/2]+t[NR/2+1])/2), t[1], t[NR], m, f}'; }
read -r cct_median cct_low cct_high _ _ < <(stats cct)
load() { # libraries that the program loads before main runs
  LD_DEBUG=files "$1" --version 2>&1 >/dev/null | grep -c 'calling init:' || true
}

printf '\nrun %d times each, alternating; cct %.3f s (%.3f-%.3f) for 1,000,000 pairs\n' \
  "$runs" "$cct_median" "$cct_low" "$cct_high"
printf '%-10s %9s %-12s %20s %11s %9s %9s\n' case pairs build "seconds (min-max)" "x cct/pair" \
  "peak MB" "minflt"
declare -A pairs=([points]=1000000 [parcels]=2000000 [transpkt]=0 [demo]=0)
for c in "${cases[@]}"; do
  for b in "${builds[@]}"; do
    read -r median low high kb faults < <(stats "$c.$b")
    awk -v c="$c" -v b="$b" -v p="${pairs[$c]}" -v m="$median" -v lo="$low" -v hi="$high" \
      -v kb="$kb" -v f="$faults" -v cct="$cct_median" 'BEGIN {
      ratio = p > 0 ? sprintf("%.2f", (m / p) / (cct / 1000000)) : "-"
      printf "%-10s %9d %-12s %8.3f (%.3f-%.3f) %11s %9.1f %9d\n", c, p, b, m, lo, hi, ratio, kb/1024, f }'
  done
done
for b in "${builds[@]}"; do
  printf 'shared libraries loaded at start (%s): %s\n' "$b" "$(load "${program[$b]}")"
done

printf '\nThe correction per adjustment point per pair (this build, one core):\n'
"$build/bin/micro_bench" --benchmark_filter='TransformPointAt/' \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median/ { for (i = 1; i <= NF; i++) if ($i ~ /^ns_per_point=/) {
    split($i, v, "="); printf "  %-28s %s per point\n", $1, v[2] } }'

if [ "${SKIP_200K:-0}" != 1 ]; then
  "$build/bin/make_bench_folder" "$work/full" 0 0 200000
  rm -f "$work/full/PUNKTY.ept" "$work/full/DZIALKI.edz" "$work/full/cct_input.txt"
  measure full "$build/bin/zornak_batch" "$work/full"
  read -r f _ _ kb _ < <(stats full)
  printf '\nfull run, 200,000 adjustment points, no map files (once): %.1f s, peak %.0f MB\n' \
    "$f" "$(awk -v k="$kb" 'BEGIN { print k/1024 }')"
fi
