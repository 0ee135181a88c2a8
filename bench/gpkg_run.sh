#!/usr/bin/env bash
# What Mapa.gpkg costs beside the conversion it exports, measured alternately in one loop on
# one machine (zornak_batch, every core, fsync included): a folder of DZIALKI.edz with
# 1,000,000 vertex lines (2,000,000 pairs) and 100 adjustment points, run without --gpkg
# (the conversion) and with it (the conversion and the export); the export's cost is the
# difference of the medians. With BASE_DIR the same two runs through another build's
# zornak_batch (the previous main's) in the same loop.
# Usage: [BUILD_DIR=build-rel] [BASE_DIR=../base/build-rel] bash bench/gpkg_run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-5}
work=$build/bench-gpkg
rm -rf "$work"
mkdir -p "$work/parcels"
"$build/bin/make_bench_folder" "$work/parcels" 0 1000000 100 > /dev/null
rm -f "$work/parcels/PUNKTY.ept"
seconds() {  # command...: its wall time; exit 6 (suspect points) is a whole run too
  local start end status=0
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1 || status=$?
  end=$(date +%s.%N)
  if [ "$status" != 0 ] && [ "$status" != 6 ]; then echo "$*: exit $status" >&2; exit 1; fi
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
declare -A program=([this]=$build/bin/zornak_batch)
builds=(this)
if [ -n "${BASE_DIR:-}" ]; then
  program[base]=$BASE_DIR/bin/zornak_batch
  builds=(base this)
fi
for b in "${builds[@]}"; do : > "$work/$b.plain"; : > "$work/$b.gpkg"; done
load=$(cut -d' ' -f1-3 /proc/loadavg)
for ((k = 0; k < runs; k++)); do
  for b in "${builds[@]}"; do
    # Without a Mapa.gpkg left from the run before: the conversion alone.
    rm -f "$work/parcels/Mapa.gpkg"
    seconds "${program[$b]}" "$work/parcels" >> "$work/$b.plain"
    echo >> "$work/$b.plain"
    seconds "${program[$b]}" --gpkg "$work/parcels" >> "$work/$b.gpkg"
    echo >> "$work/$b.gpkg"
  done
done
echo "load before: $load, after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %12s %12s %12s %8s\n' build "conversion" "with --gpkg" "export" "ratio"
for b in "${builds[@]}"; do
  plain=$(median < "$work/$b.plain")
  both=$(median < "$work/$b.gpkg")
  awk -v b="$b" -v p="$plain" -v g="$both" \
    'BEGIN { printf "%-6s %10.3f s %10.3f s %10.3f s %8.2f\n", b, p, g, g - p, (g - p) / p }'
  printf 'every run (s) %s: %s | --gpkg: %s\n' "$b" "$(tr '\n' ' ' < "$work/$b.plain")" \
    "$(tr '\n' ' ' < "$work/$b.gpkg")"
done
