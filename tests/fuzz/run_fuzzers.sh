#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for SECONDS (default 600), two at a time, starting from a copy of its committed
# corpus. Findings go to $BUILD_FUZZ/findings/TARGET/; the last status line of each run
# (executions, coverage) is printed at the end. Usage: bash tests/fuzz/run_fuzzers.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_FUZZ:-$root/build-fuzz}
seconds=${1:-600}
bash "$root/scripts/setup-debian.sh" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DZORNAK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
targets=(transpkt parcels points layers objects numbers splitwords exclusions geometry)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

run() {
  local target=$1 work=$build/fuzz-work/$1
  rm -rf "$work"
  mkdir -p "$work/corpus" "$build/findings/$target"
  cp "$root/tests/fuzz/corpus/$target/"* "$work/corpus/"
  (cd "$work" && "$build/bin/fuzz_$target" "$work/corpus" -max_total_time="$seconds" \
     -timeout=20 -rss_limit_mb=2048 -artifact_prefix="$build/findings/$target/" \
     -print_final_stats=1 > "$work/log" 2>&1) || echo "fuzz_$target: FINDING (see $build/findings/$target)"
}

for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run "${targets[i]}" &
  [ $((i + 1)) -lt ${#targets[@]} ] && run "${targets[i + 1]}" &
  wait
done
for target in "${targets[@]}"; do
  log=$build/fuzz-work/$target/log
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  execs=$(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz_$target: executions ${execs:-?}; last status: $last"
done
ls -A "$build/findings"/*/ 2>/dev/null | grep -v '^$' || echo "no findings"
