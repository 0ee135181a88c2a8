#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan
# and runs every test there, the replay of every fuzz corpus included.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${SANITIZER_BUILD_DIR:-$root/build-asan}
# Qt's and fontconfig's caches live as long as the process; the leak check would list them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
bash "$root/scripts/run-tests.sh" -DENABLE_SANITIZERS=ON
