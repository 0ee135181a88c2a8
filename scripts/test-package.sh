#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine as a user would (apt-get resolves
# its dependencies), and tries the installed programs: the batch program's version, a run
# on a fresh copy of the demo folder, the README's commands for cct and ogr2ogr against
# that run, and the desktop program started offscreen for a few seconds, which must still
# be running when it is stopped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=$(bash "$root/scripts/package.sh" | tail -n 1)
# Debian's own check of the package: no error and no warning.
bash "$root/scripts/setup-debian.sh" lintian
lintian --fail-on error,warning "$deb"
echo "lintian: clean"
# A private library folder is no business of ldconfig: the package runs no script.
if dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'postinst|postrm'; then
  echo "the package runs maintainer scripts" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --reinstall "$deb" > /dev/null
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' zornak-edz)"
/usr/bin/zornak_batch --version
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/demo" "$work/demo"
/usr/bin/zornak_batch "$work/demo" > "$work/summary.txt"
for name in Dzialki.ed_ Kontury.ed_ Punkty.ep_ Warstwy.tx_ OBIEKTY.tx_; do
  cmp "$work/demo/$name" "$root/tests/data/convert/demo-expected/$name"
done
echo "installed zornak_batch: demo run complete, converted files as expected"
# The GeoPackage export is a plugin in /usr/lib/<multiarch>/zornak-edz, loaded only on request: the
# program starts without GDAL and still finds it.
libraries=$(LD_DEBUG=files /usr/bin/zornak_batch --version 2>&1 >/dev/null | grep -c 'calling init' || true)
if [ "$libraries" -gt 12 ]; then
  echo "installed zornak_batch loads $libraries libraries at start" >&2
  exit 1
fi
/usr/bin/zornak_batch --gpkg "$work/demo" > /dev/null
[ -f "$work/demo/Mapa.gpkg" ] || { echo "installed zornak_batch --gpkg wrote no Mapa.gpkg" >&2; exit 1; }
echo "installed zornak_batch: $libraries libraries at start, Mapa.gpkg through the plugin"
# The PDF report is a plugin too: Qt loads only when a report is asked for.
/usr/bin/zornak_batch --pdf "$work/demo/Raport.pdf" "$work/demo" > /dev/null
head -c 4 "$work/demo/Raport.pdf" | grep -q '%PDF' || { echo "installed zornak_batch --pdf wrote no PDF" >&2; exit 1; }
echo "installed zornak_batch: Raport.pdf through the report plugin"
# The README's commands for PROJ's cct and GDAL's ogr2ogr, on the installed program's run.
bash "$root/scripts/check-other-tools.sh" /usr/bin/zornak_batch
for file in /usr/share/applications/zornak-edz.desktop \
            /usr/share/icons/hicolor/scalable/apps/zornak-edz.svg \
            /usr/share/icons/hicolor/64x64/apps/zornak-edz.png \
            /usr/share/doc/zornak-edz/przewodnik.txt /usr/share/doc/zornak-edz/copyright \
            /usr/share/doc/zornak-edz/changelog.gz /usr/share/man/man1/zornak_batch.1.gz \
            /usr/share/man/man1/zornak_plot.1.gz /usr/share/zornak-edz/przyklad/TRANSPKT.BIN; do
  [ -f "$file" ] || { echo "missing: $file" >&2; exit 1; }
done
status=0
QT_QPA_PLATFORM=offscreen timeout 4 /usr/bin/zornak_edz "$work/demo" > "$work/edz.log" 2>&1 \
  || status=$?
if [ "$status" != 124 ]; then
  echo "installed zornak_edz ended by itself with status $status:" >&2
  cat "$work/edz.log" >&2
  exit 1
fi
echo "installed zornak_edz: started and kept running offscreen"
# The terminal answers need no display.
env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/zornak_edz --version | grep -q "zornak_edz $(
  dpkg-query -W -f='${Version}' zornak-edz)"
# "Otwórz przykład": a copy of the installed example in a new user's Documents, run there.
home=$work/home
mkdir -p "$home/Documents"
HOME=$home QT_QPA_PLATFORM=offscreen timeout 6 /usr/bin/zornak_edz --przyklad > /dev/null 2>&1 || true
[ -f "$home/Documents/ZORNAK_edz przykład/TRANSPKT.BIN" ] ||
  { echo "installed zornak_edz --przyklad made no copy in Documents" >&2; exit 1; }
echo "installed zornak_edz: --version on the terminal, the example copied into Documents"
