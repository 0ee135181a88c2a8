#!/usr/bin/env bash
# Sourced by the Windows scripts (after windows-kit.sh): the GDAL kit for MinGW-w64, so that
# the Windows build has the GIS plugin (Mapa.gpkg, --gis). The kit is built once from
# Debian's own source packages by ../shared/gdal-mingw/build-gdal-mingw.sh (about 9 minutes on
# two cores) into a cache folder outside the checkout, which later runs and CI reuse:
# ZORNAK_GDAL_MINGW names a kit to use instead, ZORNAK_CACHE the cache folder (default
# ~/.cache/zornak-edz). ZORNAK_NO_GDAL_MINGW=1 builds without it. Needs $root and
# cross_cmake_args; sets ZORNAK_GDAL_MINGW and adds the kit to the CMake arguments.
gdal_builder=$root/../shared/gdal-mingw/build-gdal-mingw.sh
if [ -z "${ZORNAK_GDAL_MINGW:-}" ] && [ "${ZORNAK_NO_GDAL_MINGW:-0}" != 1 ] &&
  [ -f "$gdal_builder" ]; then
  cache=${ZORNAK_CACHE:-$HOME/.cache/zornak-edz}
  kit=$cache/gdal-mingw-3.6.2
  if [ ! -f "$kit/lib/cmake/gdal/GDALConfig.cmake" ]; then
    # apt-get source needs the bookworm source lists.
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
      ! grep -qs '^deb-src' /etc/apt/sources.list; then
      printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        > /etc/apt/sources.list.d/zornak-edz-sources.sources
      apt-get update -qq
    fi
    echo "Buduję zestaw GDAL dla MinGW-w64 w $kit (raz, około 9 minut)"
    rm -rf "$kit" "$cache/gdal-mingw-work"
    mkdir -p "$cache"
    kit_start=$(date +%s)
    WORKDIR=$cache/gdal-mingw-work bash "$gdal_builder" "$kit" > "$cache/gdal-mingw-build.log" 2>&1 ||
      { tail -30 "$cache/gdal-mingw-build.log"; echo "zestaw GDAL: błąd budowy" >&2; exit 1; }
    rm -rf "$cache/gdal-mingw-work"
    echo "zestaw GDAL: $(($(date +%s) - kit_start)) s"
  fi
  ZORNAK_GDAL_MINGW=$kit
fi
if [ -n "${ZORNAK_GDAL_MINGW:-}" ]; then
  # The toolchain file adds the kit to the find root; pkg-config sees only the kit's files.
  cross_cmake_args+=(-DZORNAK_GDAL_MINGW="$ZORNAK_GDAL_MINGW")
  export PKG_CONFIG_LIBDIR=$ZORNAK_GDAL_MINGW/lib/pkgconfig
fi

# GDAL's and PROJ's data beside the programs of folder $1 (share/gdal, share/proj): the
# plugin sets both from its own folder, as the Windows build has no other place to look.
deploy_gdal_data() {
  [ -n "${ZORNAK_GDAL_MINGW:-}" ] || return 0
  mkdir -p "$1/share"
  rm -rf "$1/share/gdal" "$1/share/proj"
  cp -r "$ZORNAK_GDAL_MINGW/share/gdal" "$ZORNAK_GDAL_MINGW/share/proj" "$1/share/"
}
