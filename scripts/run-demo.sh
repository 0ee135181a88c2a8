#!/usr/bin/env bash
# Builds the batch program (only what the demo needs) and runs it on a copy of the demo
# working folder. Installs the Debian packages it misses, so it runs as root (or by sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup-debian.sh"
BUILD_DIR=$build BUILD_TARGETS=zornak_batch bash "$root/scripts/build.sh"
rm -rf "$build/demo"
cp -r "$root/examples/demo" "$build/demo"
"$build/bin/zornak_batch" "$build/demo"
echo
echo "Wyniki (outputs) w folderze: $build/demo"
ls -l "$build/demo"
