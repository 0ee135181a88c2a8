#!/usr/bin/env bash
# A GIS file through the fit beside the same pairs through PUNKTY.ept, measured alternately
# in one loop on one machine (the build's zornak_batch, every core, fsync included):
#   points: PUNKTY.ept of 500,000 records, 1,000,000 pairs;
#   lines:  a GeoPackage of the same 1,000,000 vertices as 100,000 lines of 10 (--gis);
#   dots:   a GeoPackage of the same 1,000,000 vertices as 1,000,000 points (--gis).
# Each folder holds the same TRANSPKT.BIN (100 points), so the fit and its reports cost the
# same in all three. Prints the median of RUNS (default 5) and each GIS case over the points.
# Usage: [BUILD_DIR=build-rel] bash bench/gis_run.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${1:-5}
bash "$root/scripts/setup-debian.sh" gdal-bin time
work=$build/bench-gis
rm -rf "$work"
mkdir -p "$work/points" "$work/lines" "$work/dots"
"$build/bin/make_bench_folder" "$work/points" 500000 0 100 > /dev/null
rm -f "$work/points/DZIALKI.edz"
cp "$work/points/TRANSPKT.BIN" "$work/lines/"
cp "$work/points/TRANSPKT.BIN" "$work/dots/"
# cct_input.txt holds the pairs of PUNKTY.ept, northing first; GIS files hold easting first.
tr -d '\r' < "$work/points/cct_input.txt" > "$work/pairs.txt"
awk 'BEGIN { print "nr,WKT" } { v[n++] = $2 " " $1 } n == 10 {
       printf "%d,\"LINESTRING (", ++lines
       for (i = 0; i < 10; i++) printf "%s%s", (i ? ", " : ""), v[i]
       print ")\""; n = 0 }' "$work/pairs.txt" > "$work/lines.csv"
awk 'BEGIN { print "nr,X,Y" } { print NR "," $2 "," $1 }' "$work/pairs.txt" > "$work/dots.csv"
ogr2ogr -f GPKG "$work/lines/linie.gpkg" "$work/lines.csv" -nln linie -nlt LINESTRING
ogr2ogr -f GPKG "$work/dots/punkty.gpkg" "$work/dots.csv" -nln punkty \
  -oo X_POSSIBLE_NAMES=X -oo Y_POSSIBLE_NAMES=Y
rm -f "$work/points/cct_input.txt" "$work/lines.csv" "$work/dots.csv" "$work/pairs.txt"

seconds() {  # the wall time of one run
  local start end
  start=$(date +%s.%N)
  "$@" > /dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

batch=$build/bin/zornak_batch
: > "$work/points.t"; : > "$work/lines.t"; : > "$work/dots.t"
for ((k = 0; k < runs; k++)); do
  seconds "$batch" "$work/points" >> "$work/points.t"; echo >> "$work/points.t"
  seconds "$batch" --gis "$work/lines/linie.gpkg" "$work/lines" >> "$work/lines.t"
  echo >> "$work/lines.t"
  seconds "$batch" --gis "$work/dots/punkty.gpkg" "$work/dots" >> "$work/dots.t"
  echo >> "$work/dots.t"
done
p=$(median < "$work/points.t"); l=$(median < "$work/lines.t"); d=$(median < "$work/dots.t")
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-44s %8s s\n' "PUNKTY.ept, 1,000,000 pairs" "$p"
printf '%-44s %8s s  %5.2f x\n' "GeoPackage, 100,000 lines of 10 vertices" "$l" \
  "$(awk -v a="$l" -v b="$p" 'BEGIN { print a / b }')"
printf '%-44s %8s s  %5.2f x\n' "GeoPackage, 1,000,000 points" "$d" \
  "$(awk -v a="$d" -v b="$p" 'BEGIN { print a / b }')"
echo "every run (s): points $(tr '\n' ' ' < "$work/points.t")"
echo "               lines  $(tr '\n' ' ' < "$work/lines.t")"
echo "               dots   $(tr '\n' ' ' < "$work/dots.t")"
