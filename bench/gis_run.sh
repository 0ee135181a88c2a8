#!/usr/bin/env bash
# A GIS file through the fit beside the same pairs through PUNKTY.ept, measured alternately
# in one loop on one machine (the build's zornak_batch, every core, fsync included):
#   points: PUNKTY.ept of 500,000 records, 1,000,000 pairs;
#   lines:  a GeoPackage of the same 1,000,000 vertices as 100,000 lines of 10 (--gis);
#   dots:   a GeoPackage of the same 1,000,000 vertices as 1,000,000 points (--gis).
# Each folder holds the same TRANSPKT.BIN (100 points), so the fit and its reports cost the
# same in all three. Beside them, in the same loop: GDAL's own ogr2ogr copy of the points file
# without a spatial index (no fit: what any GDAL program pays per feature), and with BASE_DIR
# the two GIS cases through another build's zornak_batch (the previous main's).
# Prints the median of RUNS (default 5) and each case over the points.
# Usage: [BUILD_DIR=build-rel] [BASE_DIR=../build-base] bash bench/gis_run.sh [RUNS]
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
cases=(points lines dots copy)
[ -n "${BASE_DIR:-}" ] && cases+=(base_lines base_dots)
for c in "${cases[@]}"; do : > "$work/$c.t"; done
time_of() {  # case, command...: one run's time appended to the case's list
  local c=$1
  shift
  seconds "$@" >> "$work/$c.t"
  echo >> "$work/$c.t"
}
load=$(cut -d' ' -f1-3 /proc/loadavg)
for ((k = 0; k < runs; k++)); do
  time_of points "$batch" "$work/points"
  time_of lines "$batch" --gis "$work/lines/linie.gpkg" "$work/lines"
  time_of dots "$batch" --gis "$work/dots/punkty.gpkg" "$work/dots"
  rm -f "$work/copy.gpkg"
  time_of copy ogr2ogr -f GPKG -lco SPATIAL_INDEX=NO "$work/copy.gpkg" "$work/dots/punkty.gpkg"
  if [ -n "${BASE_DIR:-}" ]; then
    time_of base_lines "$BASE_DIR/bin/zornak_batch" --gis "$work/lines/linie.gpkg" "$work/lines"
    time_of base_dots "$BASE_DIR/bin/zornak_batch" --gis "$work/dots/punkty.gpkg" "$work/dots"
  fi
done
p=$(median < "$work/points.t")
echo "load before: $load, after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-58s %8s s\n' "PUNKTY.ept, 1,000,000 pairs" "$p"
row() {  # case, label
  local t
  t=$(median < "$work/$1.t")
  printf '%-58s %8s s  %5.2f x\n' "$2" "$t" "$(awk -v a="$t" -v b="$p" 'BEGIN { print a / b }')"
}
row lines "GeoPackage, 100,000 lines of 10 vertices"
row dots "GeoPackage, 1,000,000 points"
row copy "ogr2ogr copy of the points, no fit, no index"
if [ -n "${BASE_DIR:-}" ]; then
  row base_lines "BASE_DIR: GeoPackage, 100,000 lines of 10 vertices"
  row base_dots "BASE_DIR: GeoPackage, 1,000,000 points"
fi
for c in "${cases[@]}"; do printf 'every run (s) %-10s %s\n' "$c" "$(tr '\n' ' ' < "$work/$c.t")"; done
