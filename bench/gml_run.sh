#!/usr/bin/env bash
# The in-place rewrite of a large GML file beside what it is measured against, alternately
# in one loop on one machine: a generated file of the registers' objects (POSITIONS
# positions, about 100 bytes each, in the area of 100 adjustment points) through
# `zornak_batch --gis`, the same file through `xmllint --stream --noout` (a streaming parse
# and nothing else), and the same count of pairs through PUNKTY.ept (a map file's
# conversion). Wall times are medians; peak memory (maximum resident set) from GNU time.
# Usage: [BUILD_DIR=build-rel] bash bench/gml_run.sh [POSITIONS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
positions=${1:-10000000}
runs=${2:-3}
work=$build/bench-gml
rm -rf "$work"
mkdir -p "$work/gml" "$work/ept"
# A unit of the generator (a parcel and its points, label, fence and pipe) has 23 positions;
# 660 units a row of 6 m parcels cover the 4 km square of make_bench_folder's points.
units=$(( (positions + 22) / 23 ))
"$build/bin/make_gml" "$work/gml/mapa.gml" "$units" 5566000 7455000 6 660 > /dev/null
"$build/bin/make_bench_folder" "$work/ept" $(( units * 23 / 2 )) 0 100 > /dev/null
rm -f "$work/ept/cct_input.txt"
cp "$work/ept/TRANSPKT.BIN" "$work/gml/"
size=$(stat -c %s "$work/gml/mapa.gml")
# shellcheck source=time_and_memory.sh
source "$root/bench/time_and_memory.sh"
: > "$work/xmllint"; : > "$work/rewrite"; : > "$work/ept.runs"
load=$(cut -d' ' -f1-3 /proc/loadavg)
for ((k = 0; k < runs; k++)); do
  measure xmllint xmllint --stream --noout "$work/gml/mapa.gml"
  measure rewrite "$build/bin/zornak_batch" --gis "$work/gml/mapa.gml" "$work/gml"
  measure ept.runs "$build/bin/zornak_batch" "$work/ept"
done
echo "file: $size bytes, $(( units * 23 )) positions; load before: $load, after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %10s %12s %8s\n' "" "median s" "peak MB" "ratio"
xml=$(cut -d' ' -f1 "$work/xmllint" | median)
for name in xmllint rewrite ept.runs; do
  t=$(cut -d' ' -f1 "$work/$name" | median)
  m=$(cut -d' ' -f2 "$work/$name" | sort -n | tail -1)
  awk -v n="$name" -v t="$t" -v m="$m" -v x="$xml" \
    'BEGIN { printf "%-28s %10.2f %12.1f %8.2f\n", n, t, m / 1024, t / x }'
  printf '  every run (s): %s\n' "$(cut -d' ' -f1 "$work/$name" | tr '\n' ' ')"
done
