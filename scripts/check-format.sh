#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted as .clang-format says; names the files
# that are not and fails. Installs clang-format when it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup-debian.sh" clang-format
cd "$root"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "formatting: $(git ls-files '*.cpp' '*.h' | wc -l) files as .clang-format says"
