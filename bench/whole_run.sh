#!/usr/bin/env bash
# Whole-run benchmark: generates a working folder (100 adjustment points, PUNKTY.ept of
# 500,000 records = 1,000,000 pairs, DZIALKI.edz of 1,000,000 vertex lines = 2,000,000
# pairs), then runs, alternating, the batch program on the points and on the parcels and
# PROJ's cct with a plain 2D Helmert on the same 1,000,000 point pairs, RUNS times each
# (default 5): the points on one thread and on every core, the parcels on 1..N threads (N
# the cores) and the parcels again with 1,000 adjustment points. Prints medians with
# min-max, pairs per second, peak memory and the ratio to cct, the parcel pass's table of
# threads, and the correction's cost per adjustment point per pair (micro_bench) at 1,000,
# 50,000 and 200,000 points. Then, once, a full run with 200,000 adjustment points and no
# map files on one thread and on every core (about ten minutes on two cores; SKIP_200K=1
# leaves it out). Usage: bash bench/whole_run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-5}
bash "$root/scripts/setup-debian.sh" proj-bin libbenchmark-dev time
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_BENCHMARKS=ON
work=$build/bench-run
rm -rf "$work"
cores=$(nproc)
mkdir -p "$work/all" "$work/points" "$work/parcels" "$work/parcels1k" "$work/empty" "$work/full"
"$build/bin/make_bench_folder" "$work/all" 500000 1000000 100
cp "$work/all/TRANSPKT.BIN" "$work/all/PUNKTY.ept" "$work/points/"
cp "$work/all/TRANSPKT.BIN" "$work/all/DZIALKI.edz" "$work/parcels/"
"$build/bin/make_bench_folder" "$work/parcels1k" 0 1000000 1000
rm -f "$work/parcels1k/PUNKTY.ept" "$work/parcels1k/cct_input.txt"
"$build/bin/make_bench_folder" "$work/full" 0 0 200000
rm -f "$work/full/PUNKTY.ept" "$work/full/DZIALKI.edz" "$work/full/cct_input.txt"
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
  measure pointsN 0 env ZORNAK_THREADS="$cores" "$build/bin/zornak_batch" "$work/points"
  for ((t = 1; t <= cores; t++)); do
    measure "parcels$t" 0 env ZORNAK_THREADS=$t "$build/bin/zornak_batch" "$work/parcels"
  done
  measure parcels1k_1 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" "$work/parcels1k"
  measure parcels1k_N 0 env ZORNAK_THREADS="$cores" "$build/bin/zornak_batch" "$work/parcels1k"
  measure parcels_gpkg 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" --gpkg "$work/parcels"
  if [ -x "$build/bin/gui_run" ]; then
    measure desktop 0 env QT_QPA_PLATFORM=offscreen ZORNAK_THREADS="$cores" "$build/bin/gui_run" "$work/points"
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
       "pointsN:PUNKTY.ept, $cores threads:1000000" "parcels1:DZIALKI.edz, 1 thread:2000000"
       "parcels$cores:DZIALKI.edz, $cores threads:2000000"
       "parcels1k_1:DZIALKI.edz, 1000 adj. points, 1 thr:2000000"
       "parcels1k_N:DZIALKI.edz, 1000 adj. points, $cores thr:2000000")
[ -f "$work/desktop.times" ] && cases+=("desktop:PUNKTY.ept, desktop, $cores threads:1000000")
for case in "${cases[@]}"; do
  IFS=: read -r key label pairs <<< "$case"
  read -r median low high kb < <(stats "$key")
  awk -v l="$label" -v p="$pairs" -v m="$median" -v lo="$low" -v hi="$high" -v kb="$kb" -v c="$cct_median" \
    'BEGIN { printf "%-34s %10d %8.3f (%.3f-%.3f) %12.0f %9.1f %9.2f\n", l, p, m, lo, hi, p/m, kb/1024, m/c }'
done
printf '\nDZIALKI.edz (2,000,000 pairs, 100 adjustment points) by threads:\n'
read -r one _ _ _ < <(stats parcels1)
for ((t = 1; t <= cores; t++)); do
  read -r median low high kb < <(stats "parcels$t")
  awk -v t="$t" -v m="$median" -v lo="$low" -v hi="$high" -v one="$one" -v kb="$kb" 'BEGIN {
    printf "  %2d threads %8.3f s (%.3f-%.3f)  %.2f x 1 thread  peak %.1f MB\n", t, m, lo, hi, m/one, kb/1024 }'
done
read -r k1 _ _ _ < <(stats parcels1k_1)
read -r kN _ _ _ < <(stats parcels1k_N)
awk -v a="$k1" -v b="$kN" -v n="$cores" 'BEGIN {
  printf "with 1,000 adjustment points: %d threads take %.2f x the 1-thread time\n", n, b/a }'

printf '\nThe correction per adjustment point per pair (one thread):\n'
"$build/bin/micro_bench" --benchmark_filter='TransformPointAt/(1000|50000|200000)$' \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median/ { for (i = 1; i <= NF; i++) if ($i ~ /^ns_per_point=/) {
    split($i, v, "="); printf "  %-28s %s per point\n", $1, v[2] } }'

if [ "${SKIP_200K:-0}" != 1 ]; then
  : > "$work/full1.times"
  : > "$work/fullN.times"
  measure fullN 0 env ZORNAK_THREADS="$cores" "$build/bin/zornak_batch" "$work/full"
  measure full1 0 env ZORNAK_THREADS=1 "$build/bin/zornak_batch" "$work/full"
  read -r f1 _ _ kb1 < <(stats full1)
  read -r fN _ _ kbN < <(stats fullN)
  awk -v a="$f1" -v b="$fN" -v n="$cores" -v k1="$kb1" -v kN="$kbN" 'BEGIN {
    printf "\nfull run, 200,000 adjustment points, no map files (once): 1 thread %.1f s (peak %.0f MB), %d threads %.1f s (peak %.0f MB): %.2f x\n", a, k1/1024, n, b, kN/1024, b/a }'
fi

read -r plain _ _ _ < <(stats parcels1)
read -r gpkg _ _ _ < <(stats parcels_gpkg)
awk -v p="$plain" -v g="$gpkg" 'BEGIN {
  printf "GeoPackage export of DZIALKI.ed_ (1,000,000 vertex lines): %.3f s, %.2f x its conversion\n", g-p, (g-p)/p }'
if [ -f "$work/desktop.times" ]; then
  read -r desktop _ _ _ < <(stats desktop)
  read -r batch _ _ _ < <(stats pointsN)
  read -r desktop0 _ _ _ < <(stats desktop_empty)
  read -r batch0 _ _ _ < <(stats batch_empty)
  awk -v d="$desktop" -v b="$batch" -v d0="$desktop0" -v b0="$batch0" 'BEGIN {
    printf "desktop / batch program on PUNKTY.ept (every core): %.2f whole process, %.2f without start-up\n", d/b, (d-d0)/(b-b0)
    printf "start-up on an empty folder: desktop %.3f s, batch %.3f s\n", d0, b0 }'
fi
