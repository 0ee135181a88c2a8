#!/usr/bin/env bash
# The Windows build, proven under Wine. Installs what is missing (MinGW-w64, Wine, the
# GoogleTest sources), cross-builds into build-mingw/ (WINDOWS_BUILD_DIR), runs every
# GoogleTest suite under Wine, then runs zornak_batch.exe and the Linux zornak_batch (from
# BUILD_DIR, default build/) on copies of the same working folders and compares every file
# they leave byte for byte. The Windows copies lie under "Łódź Bałuty\obręb 12" and are
# named to the program in Windows form (Z:\...). The one difference allowed is the folder
# path itself, which the report's header names: it stands as @FOLDER@ in both before the
# comparison. Generated GML files and CAD drawings rewritten in place by both builds are
# compared byte for byte too. With a Qt kit (windows-kit.sh) also: the GUI suite (Qt Test) under Wine, a
# real start of zornak_edz.exe under Wine and Xvfb on the demo with WYKONAJ pressed and
# its screenshot checked by rule (build-mingw/windows-main-window.png), and zornak_plot.exe's
# picture of the demo against the Linux one. Prints a line per suite and per folder, with
# its time; fails on any failure or difference.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${BUILD_DIR:-$root/build}
cross=${WINDOWS_BUILD_DIR:-$root/build-mingw}

bash "$root/scripts/setup-debian.sh" g++-mingw-w64-x86-64-posix wine wine64 googletest xvfb \
  xdotool imagemagick sqlite3
BUILD_DIR=$native bash "$root/scripts/build.sh"
# shellcheck source=windows-kit.sh
source "$root/scripts/windows-kit.sh"
# shellcheck source=gdal-kit.sh
source "$root/scripts/gdal-kit.sh"
cmake -S "$root" -B "$cross" "${cross_cmake_args[@]}" >/dev/null
build_start=$(date +%s)
cmake --build "$cross" -j "$(nproc)"
echo "cross-build: $(($(date +%s) - build_start)) s"
deploy_gdal_data "$cross/bin"

# Headless: no display, no .NET or browser runtimes offered on the first start.
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX=$cross/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
wineserver -w
# The programs in the build folder find Qt beside them, as in the package.
deploy_qt "$cross/bin"

# Seconds since a `date +%s.%N` reading.
elapsed() {
  awk -v start="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.2f", now - start }'
}

failed=0
fail() {
  echo "BŁĄD: $*"
  failed=1
}

# Every GoogleTest suite, whole, one Wine start each.
cd "$root"
for suite in "$cross"/bin/*_tests.exe; do
  name=$(basename "$suite" .exe)
  [ "$name" = gui_tests ] && continue  # Qt Test, below
  log=$cross/$name.log
  start=$(date +%s.%N)
  if wine "$suite" >"$log" 2>&1; then status=ok; else status=failed; fi
  seconds=$(elapsed "$start")
  # Windows programs end their lines with CR LF.
  passed=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p')
  skipped=$(tr -d '\r' <"$log" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, .*/\1/p')
  printf '%-18s %-7s %6.1f s  %3d passed, %d skipped\n' "$name" "$status" "$seconds" \
    "${passed:-0}" "${skipped:-0}"
  if [ "$status" != ok ]; then
    grep -E '^\[  FAILED  \]|Failure' "$log" | head -20
    fail "$name"
  fi
done

work=$cross/compare
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows/Łódź Bałuty/obręb 12" "$work/sources"
windows_parent="$work/windows/Łódź Bałuty/obręb 12"

# The golden folder: its adjustment points; the masked one: twenty points, six of them
# moved so that they hide one another (the robust proposal, from its seeded subsets); the
# identity and demo folders as they are; a generated folder of 100,000 point records and
# 100,000 parcel vertex lines.
mkdir -p "$work/sources/golden" "$work/sources/masked" "$work/sources/generated"
cp "$root/tests/data/golden/TRANSPKT.BIN" "$work/sources/golden/"
cp "$root/tests/data/golden/masked/TRANSPKT.BIN" "$work/sources/masked/"
"$native/bin/make_bench_folder" "$work/sources/generated" 100000 100000 100 >/dev/null
rm -f "$work/sources/generated/cct_input.txt"

# The folder's path as the report writes it (Windows-1250), replaced by @FOLDER@.
normalised() {
  local file=$1 folder
  folder=$(printf '%s' "$2" | iconv -f UTF-8 -t CP1250)
  FOLDER=$folder perl -0777 -pe 's/\Q$ENV{FOLDER}\E/\@FOLDER\@/g' "$file"
}

compare() {
  local name=$1 source=$2 linux=$work/linux/$1 windows=$windows_parent/$1
  cp -r "$source" "$linux"
  cp -r "$source" "$windows"
  local windows_path linux_status=0 windows_status=0 start linux_seconds windows_seconds
  windows_path=$(winepath -w "$windows")
  start=$(date +%s.%N)
  "$native/bin/zornak_batch" "$linux" >"$work/$name.linux.txt" 2>&1 || linux_status=$?
  linux_seconds=$(elapsed "$start")
  start=$(date +%s.%N)
  wine "$cross/bin/zornak_batch.exe" "$windows_path" >"$work/$name.windows.txt" 2>&1 ||
    windows_status=$?
  windows_seconds=$(elapsed "$start")
  [ "$linux_status" = "$windows_status" ] ||
    fail "$name: exit status $linux_status on Linux, $windows_status under Wine"
  local files=0 bytes=0 differing=()
  local linux_folder windows_folder
  linux_folder=$(cd "$linux" && pwd)
  windows_folder=$windows_path
  for file in $( (ls "$linux"; ls "$windows") | sort -u); do
    if [ ! -f "$linux/$file" ] || [ ! -f "$windows/$file" ]; then
      differing+=("$file (only on one side)")
      continue
    fi
    files=$((files + 1))
    bytes=$((bytes + $(stat -c %s "$windows/$file")))
    if ! cmp -s <(normalised "$linux/$file" "$linux_folder") \
      <(normalised "$windows/$file" "$windows_folder"); then
      differing+=("$file")
    fi
  done
  printf '%-10s %3d files %11d bytes  Linux %6.2f s  Wine %6.2f s  exit %d  %s\n' "$name" \
    "$files" "$bytes" "$linux_seconds" "$windows_seconds" "$windows_status" \
    "$([ ${#differing[@]} -eq 0 ] && echo identical || echo "DIFFERENT: ${differing[*]}")"
  [ ${#differing[@]} -eq 0 ] || fail "$name: files differ"
}

# The adjustment point file made from the demo's two lists, by both builds.
"$native/bin/zornak_transpkt" "$root/examples/demo/xy1" "$root/examples/demo/xy2" \
  "$work/linux/TRANSPKT.BIN" >/dev/null 2>&1
wine "$cross/bin/zornak_transpkt.exe" "$(winepath -w "$root/examples/demo/xy1")" \
  "$(winepath -w "$root/examples/demo/xy2")" "$(winepath -w "$windows_parent/TRANSPKT.BIN")" \
  >/dev/null 2>&1
if cmp -s "$work/linux/TRANSPKT.BIN" "$windows_parent/TRANSPKT.BIN"; then
  echo "transpkt   TRANSPKT.BIN from xy1 and xy2 identical"
else
  fail "zornak_transpkt: TRANSPKT.BIN differs"
fi

compare demo "$root/examples/demo"
compare golden "$work/sources/golden"
compare masked "$work/sources/masked"
iconv -f CP1250 -t UTF-8 "$work/linux/masked/Kontrola.tra" | grep -c "(metoda odporna;" >/dev/null ||
  fail "masked: Kontrola.tra names no robust proposal"
compare identity "$root/tests/data/convert/identity"
compare generated "$work/sources/generated"

# The register's GML and CAD drawings rewritten in place (no GDAL needed): generated files
# of each flavour (make_gml; make_dxf.py on Debian's ezdxf) through the demo's fit by both
# builds, the outputs compared byte for byte.
inplace=$work/inplace
mkdir -p "$inplace"
cp -r "$root/examples/demo" "$inplace/linux"
cp -r "$root/examples/demo" "$inplace/windows"
compare_in_place() {  # file generator...: the generator writes the file given last
  local name=$1 out status=0
  shift
  "$@" "$inplace/$name" >/dev/null
  out=${name%.*}_2000.${name##*.}
  "$native/bin/zornak_batch" --gis "$inplace/$name" --gis-out "$inplace/linux/$out" \
    "$inplace/linux" >/dev/null 2>&1 || fail "$name: Linux exit $?"
  wine "$cross/bin/zornak_batch.exe" --gis "$(winepath -w "$inplace/$name")" \
    --gis-out "$(winepath -w "$inplace/windows/$out")" "$(winepath -w "$inplace/windows")" \
    >/dev/null 2>&1 || status=$?
  if [ "$status" = 0 ] && cmp -s "$inplace/linux/$out" "$inplace/windows/$out"; then
    printf 'in place   %-15s %d bytes, identical to Linux\n' "$out" \
      "$(stat -c %s "$inplace/windows/$out")"
  else
    fail "$out under Wine (exit $status) differs from Linux"
  fi
}
make_gml() { "$native/bin/make_gml" "${@: -1}" "${@:1:$#-1}"; }
make_dxf() { /usr/bin/python3 "$root/bench/make_dxf.py" "${@: -1}" "${@:1:$#-1}"; }
compare_in_place gml32.gml make_gml 500
compare_in_place gml2.gml make_gml 500 --gml2
compare_in_place cp1250.xml make_gml 500 --cp1250 --crlf
compare_in_place r12.dxf make_dxf --version R12 --cp1250 --crlf
compare_in_place r2018.dxf make_dxf --version R2018 --dimension

# GIS under Wine: Mapa.gpkg of the demo and a GIS file through its fit (the Linux build's
# Mapa.gpkg, as any GeoPackage), opened by the Linux ogrinfo: the "2000" zone of the run
# and the same features and coordinates as the Linux build's files.
if [ -f "$cross/bin/zornak_gis.dll" ]; then
  gis=$work/gis
  mkdir -p "$gis"
  cp -r "$root/examples/demo" "$gis/source"
  "$native/bin/zornak_batch" --gpkg "$gis/source" >/dev/null 2>&1
  cp "$gis/source/Mapa.gpkg" "$gis/mapa.gpkg"
  cp -r "$root/examples/demo" "$gis/linux"
  cp -r "$root/examples/demo" "$gis/windows"
  "$native/bin/zornak_batch" --gpkg --gis "$gis/mapa.gpkg" --gis-out "$gis/linux/mapa_2000.gpkg" \
    "$gis/linux" >"$gis/linux.txt" 2>&1 || fail "gis: Linux exit $?"
  gis_status=0
  wine "$cross/bin/zornak_batch.exe" --gpkg --gis "$(winepath -w "$gis/mapa.gpkg")" \
    --gis-out "$(winepath -w "$gis/windows/mapa_2000.gpkg")" "$(winepath -w "$gis/windows")" \
    >"$gis/windows.txt" 2>&1 || gis_status=$?
  [ "$gis_status" = 0 ] || { fail "gis: zornak_batch.exe exit $gis_status"; tail -5 "$gis/windows.txt"; }
  for file in Mapa.gpkg mapa_2000.gpkg; do
    # Every feature with its attributes and geometry, as the Linux ogrinfo reads it.
    for side in linux windows; do
      ogrinfo -ro -al -q "$gis/$side/$file" 2>&1 | sed 's/OGRFeature.*//' >"$gis/$side-$file.txt"
    done
    zones=$(ogrinfo -ro -al -so "$gis/windows/$file" 2>/dev/null | grep -c 'ID\["EPSG",2178\]\]$' || true)
    features=$(grep -c 'POLYGON\|POINT\|LINESTRING' "$gis/windows-$file.txt" || true)
    if [ "$zones" -gt 0 ] && [ "$features" -gt 0 ] &&
      cmp -s "$gis/linux-$file.txt" "$gis/windows-$file.txt"; then
      printf 'gis        %-15s EPSG:2178 in %d layers, %d geometries, the same as Linux\n' \
        "$file" "$zones" "$features"
    else
      fail "gis: $file under Wine (EPSG:2178 layers $zones, geometries $features) differs from Linux"
      diff "$gis/linux-$file.txt" "$gis/windows-$file.txt" | head -5
    fi
  done
  # The spatial index the Windows plugin packed into the GIS output: SQLite's own check of
  # every R-tree, and the same tree, node by node, as the Linux build's.
  rtree_dump() { sqlite3 "$gis/$1/mapa_2000.gpkg" ".dump rtree%"; }
  checks=$(sqlite3 "$gis/windows/mapa_2000.gpkg" "SELECT rtreecheck('rtree_' || table_name ||
    '_' || column_name) FROM gpkg_extensions WHERE extension_name = 'gpkg_rtree_index'" | sort -u)
  if [ "$checks" = ok ] && [ "$(rtree_dump linux | md5sum)" = "$(rtree_dump windows | md5sum)" ]; then
    printf 'gis        mapa_2000.gpkg  spatial index: rtreecheck ok, the same tree as Linux\n'
  else
    fail "gis: the spatial index of mapa_2000.gpkg under Wine (rtreecheck: $checks) differs from Linux"
  fi
fi

# A working folder that takes no file, run by an unprivileged user (as root, Wine like
# Linux writes anywhere): refused before anything is written, as on Linux.
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
  readonly_folder=$work/readonly
  cp -r "$root/examples/demo" "$readonly_folder"
  chmod 555 "$readonly_folder"
  mkdir -p "$work/nobody"
  chown nobody "$work/nobody"
  before=$(ls -l --time-style=+%s.%N "$readonly_folder" | md5sum)
  status=0
  runuser -u nobody -- env HOME="$work/nobody" WINEPREFIX="$work/nobody/wine" \
    wine "$cross/bin/zornak_batch.exe" --json "$(winepath -w "$readonly_folder")" \
    >"$work/readonly.txt" 2>&1 || status=$?
  after=$(ls -l --time-style=+%s.%N "$readonly_folder" | md5sum)
  if [ "$status" = 1 ] && grep -q 'Nie można zapisywać w folderze roboczym .*: brak dostępu' \
    "$work/readonly.txt" && [ "$before" = "$after" ]; then
    echo "read-only  refused with exit 1 and \"brak dostępu\", nothing written"
  else
    fail "read-only folder: exit $status"
    cat "$work/readonly.txt"
  fi
  chmod 755 "$readonly_folder"
fi

if [ -f "$cross/bin/zornak_edz.exe" ]; then
  BUILD_DIR=$native WINDOWS_BUILD_DIR=$cross bash "$root/scripts/windows-desktop-checks.sh" ||
    failed=1
fi

if [ "$failed" != 0 ]; then
  echo "Windows: FAILED"
  exit 1
fi
echo "Windows: every suite passed under Wine, every output identical"
