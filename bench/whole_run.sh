#!/usr/bin/env bash
# Whole-run benchmark: generates a working folder (100 adjustment points, PUNKTY.ept of
# 500,000 records = 1,000,000 pairs, DZIALKI.edz of 1,000,000 vertex lines = 2,000,000
# pairs), then runs, alternating, the batch program on the points and on the parcels and
# PROJ's cct with a plain 2D Helmert on the same 1,000,000 point pairs, RUNS times each
# (default 5). Prints medians with min-max, pairs per second, peak memory and the ratio to
# cct. Usage: bash bench/whole_run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-5}
bash "$root/scripts/setup-debian.sh" proj-bin libbenchmark-dev time
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_BENCHMARKS=ON
work=$build/bench-run
rm -rf "$work"
mkdir -p "$work/all" "$work/points" "$work/parcels" "$work/empty"
"$build/bin/make_bench_folder" "$work/all" 500000 1000000 100
cp "$work/all/TRANSPKT.BIN" "$work/all/PUNKTY.ept" "$work/points/"
cp "$work/all/TRANSPKT.BIN" "$work/all/DZIALKI.edz" "$work/parcels/"
helmert=(+proj=helmert +convention=coordinate_frame +x=0.184 +y=-0.237 +s=1.0000075 +theta=0.43)

# name, the exit status the run must give, then the command; appends "seconds kilobytes"
# to $work/name.times
measure() {
  local name=$1 expected=$2 status=0
  shift 2
  /usr/bin/time -f "%e %M" -o "$work/$name.one" "$@" > /dev/null 2>&1 || status=$?
  if [ "$status" != "$expected" ]; then
    echo "$name: exit status $status, expected $expected" >&2
    exit 1
  fi
  grep -v '^Command exited' "$work/$name.one" >> "$work/$name.times"
}

for ((run = 1; run <= runs; run++)); do
  measure cct 0 cct -d 2 -z 0 -t 0 "${helmert[@]}" "$work/all/cct_input.txt"
  measure points1 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" "$work/points"
  measure points2 0 env ZORNAK_THREADS=2 "$build/bin/zornak_batch" "$work/points"
  measure parcels1 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" "$work/parcels"
  measure parcels_gpkg 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" --gpkg "$work/parcels"
  if [ -x "$build/bin/gui_run" ]; then
    measure desktop 0 env QT_QPA_PLATFORM=offscreen ZORNAK_THREADS=2 "$build/bin/gui_run" "$work/points"
    measure desktop_empty 0 env QT_QPA_PLATFORM=offscreen "$build/bin/gui_run" "$work/empty"
    # No TRANSPKT.BIN: the batch program says so with exit status 4.
    measure batch_empty 4 "$build/bin/zornak_batch" "$work/empty"
  fi
done

# median, min and max of column 1; max of column 2 (KB)
stats() { sort -n "$work/$1.times" | awk '{t[NR]=$1; if ($2>m) m=$2} END {
  printf "%.3f %.3f %.3f %d\n", (NR%2 ? t[(NR+1)/2] : (t[NR/2]+t[NR/2+1])/2), t[1], t[NR], m}'; }
read -r cct_median _ _ _ < <(stats cct)

printf '\n%-34s %10s %18s %12s %9s %9s\n' "run ($runs times each)" "pairs" "seconds (min-max)" "pairs/s" "peak MB" "x cct"
cases=("cct:PROJ cct, 2D Helmert:1000000" "points1:PUNKTY.ept, 1 thread:1000000"
       "points2:PUNKTY.ept, 2 threads:1000000" "parcels1:DZIALKI.edz, 1 thread:2000000")
[ -f "$work/desktop.times" ] && cases+=("desktop:PUNKTY.ept, desktop, 2 threads:1000000")
for case in "${cases[@]}"; do
  IFS=: read -r key label pairs <<< "$case"
  read -r median low high kb < <(stats "$key")
  awk -v l="$label" -v p="$pairs" -v m="$median" -v lo="$low" -v hi="$high" -v kb="$kb" -v c="$cct_median" \
    'BEGIN { printf "%-34s %10d %8.3f (%.3f-%.3f) %12.0f %9.1f %9.2f\n", l, p, m, lo, hi, p/m, kb/1024, m/c }'
done
read -r plain _ _ _ < <(stats parcels1)
read -r gpkg _ _ _ < <(stats parcels_gpkg)
awk -v p="$plain" -v g="$gpkg" 'BEGIN {
  printf "GeoPackage export of DZIALKI.ed_ (1,000,000 vertex lines): %.3f s, %.2f x its conversion\n", g-p, (g-p)/p }'
if [ -f "$work/desktop.times" ]; then
  read -r desktop _ _ _ < <(stats desktop)
  read -r batch _ _ _ < <(stats points2)
  read -r desktop0 _ _ _ < <(stats desktop_empty)
  read -r batch0 _ _ _ < <(stats batch_empty)
  awk -v d="$desktop" -v b="$batch" -v d0="$desktop0" -v b0="$batch0" 'BEGIN {
    printf "desktop / batch program on PUNKTY.ept (2 threads): %.2f whole process, %.2f without start-up\n", d/b, (d-d0)/(b-b0)
    printf "start-up on an empty folder: desktop %.3f s, batch %.3f s\n", d0, b0 }'
fi
