#!/usr/bin/env bash
# Runs the README's commands for other tools (PROJ's cct, GDAL's ogr2ogr) as a user types
# them, in a run of the demo by the zornak_batch given (default: the installed one), and
# compares what they give with the run's own coordinates: Transformacja.proj with xy.tra (the
# model), Transformacja_pelna.proj through cct with xy_sk.tra (the model and the correction)
# and through ogr2ogr with the run's --gis output of the same layer, each within 1 mm.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
batch=${1:-/usr/bin/zornak_batch}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/demo" "$work/demo"
cd "$work/demo"
# The README's commands, in its order: the indented lines that start with the tool's name.
mapfile -t commands < <(grep -E '^    (cct|ogr2ogr) ' "$root/README.md" | sed 's/^    //')
[ ${#commands[@]} -eq 3 ] || { echo "README: expected 3 commands for cct and ogr2ogr, found ${#commands[@]}" >&2; exit 1; }
# punkty.txt: the adjustment points' primary x y; warstwa.gpkg: the points of PUNKTY.ept in
# the demo's zone, EPSG:2178, as a layer a surveyor would have.
awk '{ print $2, $3 }' xy1 > punkty.txt
{
  echo 'WKT,nr'
  awk '{ printf "\"POINT (%s %s)\",%s\n", $3, $2, $1 }' PUNKTY.ept | tr -d '\r'
} > warstwa.csv
ogr2ogr -f GPKG -a_srs EPSG:2178 -oo GEOM_POSSIBLE_NAMES=WKT -oo KEEP_GEOM_COLUMNS=NO \
  -nln warstwa warstwa.gpkg warstwa.csv
"$batch" --full-pipeline --gis warstwa.gpkg . > "$work/summary.txt" 2>&1 ||
  { cat "$work/summary.txt" >&2; exit 1; }
# The points of a layer, one "northing easting" line each, in feature order.
points_of() {
  ogrinfo -q -al "$1" | sed -n 's/^ *POINT (\([^ ]*\) \([^ )]*\)).*/\2 \1/p'
}
# Compares two files of "x y" lines: the same count, each pair within `tolerance` metres.
compare() {
  local name=$1 got=$2 expected=$3 tolerance=$4
  paste -d ' ' "$got" "$expected" | awk -v name="$name" -v t="$tolerance" '
    { d = sqrt(($1 - $3)^2 + ($2 - $4)^2); if (d > worst) worst = d; n++ }
    END {
      if (n == 0 || worst > t) { printf "%s: %d points, largest difference %.5f m\n", name, n, worst; exit 1 }
      printf "%s: %d points within %.4f m of the run (largest %.5f m)\n", name, n, t, worst
    }'
  [ "$(wc -l < "$got")" = "$(wc -l < "$expected")" ] ||
    { echo "$name: $(wc -l < "$got") points, the run has $(wc -l < "$expected")" >&2; exit 1; }
}
awk '{ print $2, $3 }' xy.tra | tr -d '\r' > model.txt
awk '{ print $2, $3 }' xy_sk.tra | tr -d '\r' > final.txt
points_of warstwa_2000.gpkg > gis.txt
for command in "${commands[@]}"; do
  case "$command" in
    cct*Transformacja.proj*)
      bash -c "$command" | awk '{ print $1, $2 }' > cct_model.txt
      compare "cct, Transformacja.proj" cct_model.txt model.txt 0.001 ;;
    cct*Transformacja_pelna.proj*)
      bash -c "$command" | awk '{ print $1, $2 }' > cct_full.txt
      compare "cct, Transformacja_pelna.proj" cct_full.txt final.txt 0.001 ;;
    ogr2ogr*)
      bash -c "$command"
      points_of warstwa_ct.gpkg > ogr.txt
      compare "ogr2ogr -ct, Transformacja_pelna.proj" ogr.txt gis.txt 0.001 ;;
    *)
      echo "README: a command this check does not know: $command" >&2
      exit 1 ;;
  esac
done
