#!/usr/bin/env bash
# Builds the Windows package zornak-edz-<version>-win64.zip into build-mingw/
# (WINDOWS_BUILD_DIR) and prints its path: zornak_batch.exe, zornak_transpkt.exe and
# trk.dll (cross-built with MinGW-w64, needing no DLL beyond Windows' own), the README and
# the user guide (przewodnik.txt, Windows-1250 with CR LF as the program's other texts).
# Unpacked, its zornak_batch.exe is tried under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${BUILD_DIR:-$root/build}
cross=${WINDOWS_BUILD_DIR:-$root/build-mingw}

bash "$root/scripts/setup-debian.sh" g++-mingw-w64-x86-64-posix wine wine64 googletest
# The guide's text comes from the native build's print_guide.
BUILD_DIR=$native bash "$root/scripts/build.sh" >/dev/null
cmake -S "$root" -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DZORNAK_WERROR=ON -DZORNAK_GTEST_SOURCE=/usr/src/googletest \
  >/dev/null
cmake --build "$cross" -j "$(nproc)" --target zornak_batch zornak_transpkt >/dev/null

version=$(sed -n 's/^project(zornak_edz VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=zornak-edz-$version-win64
stage=$cross/package/$name
rm -rf "$cross/package" "$cross/$name.zip"
mkdir -p "$stage"
for file in zornak_batch.exe zornak_transpkt.exe trk.dll; do
  x86_64-w64-mingw32-strip --strip-unneeded -o "$stage/$file" "$cross/bin/$file"
done
cp "$root/README.md" "$stage/"
"$native/bin/print_guide" | iconv -f UTF-8 -t CP1250 | sed 's/$/\r/' >"$stage/przewodnik.txt"
(cd "$cross/package" && cmake -E tar cf "$cross/$name.zip" --format=zip "$name")

# The unpacked programs start with nothing but what the package holds.
check=$cross/package-check
rm -rf "$check"
mkdir -p "$check"
(cd "$check" && cmake -E tar xf "$cross/$name.zip")
unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX=$cross/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
reply=$(wine "$check/$name/zornak_batch.exe" --version | tr -d '\r')
if [ "$reply" != "zornak_batch $version" ]; then
  echo "the packaged zornak_batch.exe does not start: $reply" >&2
  exit 1
fi
echo "$cross/$name.zip"
