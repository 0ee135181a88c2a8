#!/usr/bin/env bash
# Builds the Windows packages into build-mingw/ (WINDOWS_BUILD_DIR) and prints their paths:
#   zornak-edz-<version>-win64.zip   the programs for those who want no installer:
#       zornak_edz.exe, zornak_batch.exe, zornak_plot.exe, zornak_transpkt.exe, trk.dll,
#       zornak_report.dll, zornak_gis.dll with GDAL's and PROJ's data (share\gdal, share\proj;
#       with the GDAL kit, see gdal-kit.sh), Qt in windeployqt's layout (see windows-kit.sh), the README, the
#       guide (przewodnik.txt, Windows-1250 with CR LF), the licences;
#   zornak-edz-<version>-setup.exe   the same installed by an NSIS setup program in Polish.
# Then tries both under Wine: the unpacked zip's zornak_batch.exe; the setup installed
# silently (/S), its zornak_batch.exe on a copy of the demo, its zornak_edz.exe started for
# a few seconds, the silent uninstall, and that the folder is gone. Prints the sizes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${BUILD_DIR:-$root/build}
cross=${WINDOWS_BUILD_DIR:-$root/build-mingw}

bash "$root/scripts/setup-debian.sh" g++-mingw-w64-x86-64-posix wine wine64 googletest nsis
# The guide's text comes from the native build's print_guide.
BUILD_DIR=$native bash "$root/scripts/build.sh" >/dev/null
# shellcheck source=windows-kit.sh
source "$root/scripts/windows-kit.sh"
# shellcheck source=gdal-kit.sh
source "$root/scripts/gdal-kit.sh"
cmake -S "$root" -B "$cross" "${cross_cmake_args[@]}" >/dev/null
targets=(zornak_batch zornak_transpkt)
[ -n "${ZORNAK_QT_MINGW:-}" ] && targets+=(zornak_edz zornak_plot zornak_report)
[ -n "${ZORNAK_GDAL_MINGW:-}" ] && targets+=(zornak_gis)
cmake --build "$cross" -j "$(nproc)" --target "${targets[@]}" >/dev/null

unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX=$cross/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1

version=$(sed -n 's/^project(zornak_edz VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=zornak-edz-$version-win64
stage=$cross/package/$name
rm -rf "$cross/package" "$cross/$name.zip" "$cross/zornak-edz-$version-setup.exe"
mkdir -p "$stage/licencje"
for target in "${targets[@]}" trk; do
  file=$(find "$cross/bin" -maxdepth 1 -name "$target.exe" -o -maxdepth 1 -name "$target.dll" |
    head -n 1)
  x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$(basename "$file")" "$file"
done
deploy_qt "$stage"
deploy_gdal_data "$stage"
if [ -n "${ZORNAK_GDAL_MINGW:-}" ]; then
  # GDAL, PROJ, SQLite and Expat are linked into zornak_gis.dll: their notices go with it.
  cp -r "$ZORNAK_GDAL_MINGW/share/licenses" "$stage/licencje/gdal"
fi
check_imports "$stage"
cp "$root/README.md" "$root/packaging/windows/zornak-edz.ico" "$stage/"
# The example of "Otwórz przykład", beside the programs as the desktop program looks for it.
cp -r "$root/examples/demo" "$stage/przyklad"
"$native/bin/print_guide" | iconv -f UTF-8 -t CP1250 | sed 's/$/\r/' >"$stage/przewodnik.txt"
# The licence page and texts: UTF-8 with a byte order mark, as Notepad and NSIS read them.
for text in "$root/packaging/windows/licencja.txt:licencja.txt" \
  /usr/share/common-licenses/LGPL-3:licencje/LGPL-3.txt \
  /usr/share/common-licenses/GPL-3:licencje/GPL-3.txt; do
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' "${text%%:*}"; } >"$stage/${text#*:}"
done
(cd "$cross/package" && cmake -E tar cf "$cross/$name.zip" --format=zip "$name")

# The setup program: the same files; the uninstaller removes exactly these.
(
  cd "$stage"
  find . -type d | sort | while read -r folder; do
    folder=${folder#./}
    [ "$folder" = . ] && folder=
    printf 'SetOutPath "$INSTDIR%s"\n' "${folder:+\\${folder//\//\\}}"
    find "./$folder" -maxdepth 1 -type f | sort | while read -r file; do
      printf 'File "%s"\n' "$stage/${file#./}"
    done
  done
  printf 'SetOutPath "$INSTDIR"\n'
) >"$cross/package/install-files.nsh"
(
  cd "$stage"
  find . -type f | sort | while read -r file; do
    file=${file#./}
    printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
  done
  find . -mindepth 1 -type d | sort -r | while read -r folder; do
    folder=${folder#./}
    printf 'RMDir "$INSTDIR\\%s"\n' "${folder//\//\\}"
  done
) >"$cross/package/uninstall-files.nsh"
setup=$cross/zornak-edz-$version-setup.exe
size_kb=$(du -sk "$stage" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  -DSIZE_KB="$size_kb" -DLISTS="$cross/package" "$root/packaging/windows/zornak-edz.nsi"

# The unpacked programs start with nothing but what the package holds.
check=$cross/package-check
rm -rf "$check"
mkdir -p "$check"
(cd "$check" && cmake -E tar xf "$cross/$name.zip")
reply=$(wine "$check/$name/zornak_batch.exe" --version | tr -d '\r')
if [ "$reply" != "zornak_batch $version" ]; then
  echo "the packaged zornak_batch.exe does not start: $reply" >&2
  exit 1
fi

# Installed silently, tried, uninstalled silently.
start=$(date +%s)
wine "$setup" /S
wineserver -w
installed="$WINEPREFIX/drive_c/Program Files/ZORNAK_edz"
[ -f "$installed/zornak_batch.exe" ] || { echo "the setup program installed nothing" >&2; exit 1; }
reply=$(wine "$installed/zornak_batch.exe" --version | tr -d '\r')
[ "$reply" = "zornak_batch $version" ] ||
  { echo "installed zornak_batch.exe: $reply" >&2; exit 1; }
demo=$cross/package-demo
rm -rf "$demo"
cp -r "$root/examples/demo" "$demo"
gpkg=()
[ -n "${ZORNAK_GDAL_MINGW:-}" ] && gpkg=(--gpkg)
wine "$installed/zornak_batch.exe" "${gpkg[@]}" "$(winepath -w "$demo")" >/dev/null 2>&1
for file in Dzialki.ed_ Kontury.ed_ Punkty.ep_ Warstwy.tx_ OBIEKTY.tx_; do
  cmp "$demo/$file" "$root/tests/data/convert/demo-expected/$file"
done
if [ -n "${ZORNAK_GDAL_MINGW:-}" ]; then
  # The plugin and GDAL's and PROJ's data installed: Mapa.gpkg in the run's zone.
  for file in zornak_gis.dll share/proj/proj.db share/gdal/header.dxf; do
    [ -f "$installed/$file" ] || { echo "the setup program installed no $file" >&2; exit 1; }
  done
  # The whole listing first: grep -q would end the pipe early, failing it under pipefail.
  zones=$(ogrinfo -ro -so -al "$demo/Mapa.gpkg" 2>/dev/null | grep -c 'ID\["EPSG",2178\]\]$' || true)
  [ "$zones" -gt 0 ] || { echo "the installed program wrote no Mapa.gpkg in EPSG:2178" >&2; exit 1; }
  echo "installed: zornak_gis.dll with share/proj and share/gdal; Mapa.gpkg in EPSG:2178"
fi
if [ -f "$installed/zornak_edz.exe" ]; then
  status=0
  WINEQT_QPA_PLATFORM=offscreen timeout 8 wine "$installed/zornak_edz.exe" \
    "$(winepath -w "$demo")" >/dev/null 2>&1 || status=$?
  wineserver -k || true
  [ "$status" = 124 ] || { echo "installed zornak_edz.exe ended with status $status" >&2; exit 1; }
fi
[ -f "$installed/przyklad/TRANSPKT.BIN" ] || { echo "the setup program installed no example" >&2; exit 1; }
for link in "ZORNAK_edz.lnk" "Przewodnik.lnk" "Otwórz przykład.lnk" "Odinstaluj ZORNAK_edz.lnk"; do
  [ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZORNAK_edz/$link" ] ||
    { echo "no Start menu entry $link" >&2; exit 1; }
done
entry=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZORNAK_edz' 2>/dev/null |
  tr -d '\r')
for value in "DisplayVersion.*$version" "Publisher.*ZORNAK_edz" "QuietUninstallString.*/S"; do
  LC_ALL=C grep -aq "$value" <<<"$entry" || { echo "Programs and Features: no $value" >&2; exit 1; }
done
wine "$installed/odinstaluj.exe" /S
wineserver -w
sleep 2
wineserver -w
if [ -e "$installed" ]; then
  echo "the silent uninstall left $installed:" >&2
  find "$installed" >&2
  exit 1
fi
echo "setup: installed silently, batch run and desktop start, uninstalled $(($(date +%s) - start)) s"
printf 'sizes: setup %s MB, zip %s MB, unpacked %s MB\n' \
  "$(du -m "$setup" | cut -f1)" "$(du -m "$cross/$name.zip" | cut -f1)" "$(du -sm "$stage" | cut -f1)"
(cd "$stage" && du -ak . | sort -rn | sed -n '2,9p' | awk '{ printf "  %6d KB  %s\n", $1, $2 }')
echo "$cross/$name.zip"
echo "$setup"
