#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those missing. Needs root for apt-get.
set -euo pipefail
# qt6-base-dev brings Widgets, PrintSupport and Test; the fonts give Polish glyphs and a
# Courier-like monospace face; qt6-translations-l10n holds Qt's own Polish texts and
# adwaita-icon-theme the standard icons the editor shows; qt6-svg-dev writes the picture
# of a fit as SVG; libproj-dev and proj-bin apply the fitted model as a PROJ pipeline in
# the tests and for the user; poppler-utils reads the PDF report back in the tests; gdal-bin's
# ogr2ogr and ogrinfo make and read back the GIS files of the tests; libsqlite3-dev writes a
# GeoPackage's spatial index in one pass; libexpat1-dev streams the GML rewritten in place,
# and libxml2-utils's xmllint reads it back in the tests; python3-ezdxf (a CAD library) makes
# and reads the CAD drawings of the tests, and librecad's dxf2pdf draws them.
packages=(cmake make g++ googletest libgtest-dev locales qt6-base-dev fonts-dejavu-core
  fonts-liberation2 qt6-translations-l10n adwaita-icon-theme qt6-svg-dev libproj-dev proj-bin libgdal-dev
  gdal-bin libsqlite3-dev
  libcli11-dev poppler-utils libexpat1-dev libxml2-utils python3-ezdxf librecad "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Instaluję: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# The tests run under a Polish locale to catch decimal-comma mistakes.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null 2>&1 || true
  fi
fi
