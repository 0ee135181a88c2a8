#!/usr/bin/env bash
# Kill test: the batch program is killed (SIGKILL) at 20 random moments of a run on a large
# generated folder; after each kill every output present must be byte-identical to the
# output of a complete run (half of the runs start with the outputs of a complete run in
# place, half without outputs). Usage: bash tests/kill_test.sh [KILLS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
kills=${1:-20}
bash "$root/scripts/setup-debian.sh" libbenchmark-dev
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_BENCHMARKS=ON > /dev/null
work=$build/kill-test
rm -rf "$work"
mkdir -p "$work/inputs" "$work/reference"
"$build/bin/make_bench_folder" "$work/inputs" 200000 400000 100 > /dev/null
rm -f "$work/inputs/cct_input.txt"
cp "$build/../examples/demo/WARSTWY.txt" "$build/../examples/demo/OBIEKTY.txt" \
   "$build/../examples/demo/KONTURY.edz" "$work/inputs/" 2> /dev/null || true
# Every run works in the same folder, whose path the report names.
run=$work/run
mkdir -p "$run"
cp "$work/inputs/"* "$run/"
start=$(date +%s%N)
"$build/bin/zornak_batch" "$run" > /dev/null 2>&1
duration_ms=$(( ($(date +%s%N) - start) / 1000000 ))
cp "$run/"* "$work/reference/"
outputs=$(cd "$work/reference" && ls | grep -v -x -F -f <(ls "$work/inputs"))
echo "complete run: ${duration_ms} ms, $(echo "$outputs" | wc -l) outputs"

survived=0
for ((i = 1; i <= kills; i++)); do
  rm -rf "$run"
  mkdir "$run"
  cp "$work/inputs/"* "$run/"
  if ((i % 2 == 0)); then
    for f in $outputs; do cp "$work/reference/$f" "$run/"; done
  fi
  delay=$((RANDOM % duration_ms))
  "$build/bin/zornak_batch" "$run" > /dev/null 2>&1 &
  pid=$!
  sleep "$(awk -v ms="$delay" 'BEGIN { printf "%.3f", ms / 1000 }')"
  kill -9 "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
  bad=0
  for f in $outputs; do
    if [ -e "$run/$f" ] && ! cmp -s "$run/$f" "$work/reference/$f"; then
      echo "kill $i after ${delay} ms: $f differs from the complete output"
      bad=1
    fi
  done
  ((bad == 0)) && survived=$((survived + 1))
  # (an if, not [ ] &&: a missing last file must not end the loop's pipeline in failure)
  present=$(for f in $outputs; do if [ -e "$run/$f" ]; then echo "$f"; fi; done | wc -l)
  echo "kill $i after ${delay} ms: $present outputs present, all complete: $((1 - bad))"
done
echo "survived $survived of $kills kills"
((survived == kills))
