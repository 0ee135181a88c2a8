#!/usr/bin/env bash
# The in-place rewrite of a CAD drawing beside the same pairs through a map file, alternately
# in one loop on one machine: a drawing (bench/make_dxf.py, ezdxf) of LWPOLYLINEs of 1,000
# vertices, VERTICES in all, over the 4 km square of 100 adjustment points through
# `zornak_batch --gis`, and VERTICES pairs through PUNKTY.ept. Wall times are medians; peak
# memory (maximum resident set) from GNU time.
# Usage: [BUILD_DIR=build-rel] bash bench/dxf_run.sh [VERTICES] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
vertices=${1:-1000000}
runs=${2:-5}
work=$build/bench-dxf
rm -rf "$work"
mkdir -p "$work/dxf" "$work/ept"
/usr/bin/python3 "$root/bench/make_dxf.py" "$work/dxf/rysunek.dxf" --vertices "$vertices"
"$build/bin/make_bench_folder" "$work/ept" $((vertices / 2)) 0 100 > /dev/null
rm -f "$work/ept/cct_input.txt"
cp "$work/ept/TRANSPKT.BIN" "$work/dxf/"
# shellcheck source=time_and_memory.sh
source "$root/bench/time_and_memory.sh"
: > "$work/rewrite"; : > "$work/ept.runs"
load=$(cut -d' ' -f1-3 /proc/loadavg)
for ((k = 0; k < runs; k++)); do
  measure rewrite "$build/bin/zornak_batch" --gis "$work/dxf/rysunek.dxf" "$work/dxf"
  measure ept.runs "$build/bin/zornak_batch" "$work/ept"
done
echo "drawing: $(stat -c %s "$work/dxf/rysunek.dxf") bytes, $vertices vertices; load before: $load, after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %10s %12s %8s\n' "" "median s" "peak MB" "ratio"
base=$(cut -d' ' -f1 "$work/ept.runs" | median)
for name in ept.runs rewrite; do
  t=$(cut -d' ' -f1 "$work/$name" | median)
  m=$(cut -d' ' -f2 "$work/$name" | sort -n | tail -1)
  awk -v n="$name" -v t="$t" -v m="$m" -v b="$base" \
    'BEGIN { printf "%-28s %10.2f %12.1f %8.2f\n", n, t, m / 1024, t / b }'
  printf '  every run (s): %s\n' "$(cut -d' ' -f1 "$work/$name" | tr '\n' ' ')"
done
