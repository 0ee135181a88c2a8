#!/usr/bin/env bash
# Builds the programs and runs the batch program on a copy of the demo working folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup-debian.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh"
rm -rf "$build/demo"
cp -r "$root/examples/demo" "$build/demo"
"$build/bin/zornak_batch" "$build/demo"
echo
echo "Wyniki (outputs) w folderze: $build/demo"
ls -l "$build/demo"
