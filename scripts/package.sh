#!/usr/bin/env bash
# Builds the Debian package zornak-edz_<version>_amd64.deb (Release, installed under /usr)
# into BUILD_DIR (default: build-pkg) and prints its path. Install it with
#   sudo apt-get install ./build-pkg/zornak-edz_<version>_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# An absolute path, so the package's path can be handed to apt-get (which takes a relative
# one for a package name).
build=$(realpath -m "${BUILD_DIR:-$root/build-pkg}")
# dpkg-dev brings dpkg-shlibdeps, which names the libraries the package needs.
bash "$root/scripts/setup-debian.sh" dpkg-dev
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null
(cd "$build" && cpack -G DEB > /dev/null)
ls "$build"/zornak-edz_*_amd64.deb
