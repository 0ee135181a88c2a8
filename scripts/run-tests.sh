#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test. Extra arguments go to
# cmake (e.g. -DCMAKE_BUILD_TYPE=Release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup-debian.sh"
# BUILD_TESTING is set every time: a folder configured without tests once keeps that in its
# cache, and a run that finds no test fails rather than passing empty.
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_WERROR=ON -DBUILD_TESTING=ON "$@"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)"
