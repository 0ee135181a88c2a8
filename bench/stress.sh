#!/usr/bin/env bash
# Stress runs of the batch program, each reported with its time, peak memory and exit
# status: 200,000 adjustment points (the most TRANSPKT.BIN may hold) with a conversion of
# 1,000 point records, and a parcel file of 1,000,000 records. Usage: bash bench/stress.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup-debian.sh" libbenchmark-dev time
BUILD_DIR=$build bash "$root/scripts/build.sh" -DZORNAK_BENCHMARKS=ON
work=$build/stress-run
rm -rf "$work"
mkdir -p "$work/adjustment" "$work/records"
"$build/bin/make_bench_folder" "$work/adjustment" 1000 0 200000
rm -f "$work/adjustment/cct_input.txt" "$work/adjustment/DZIALKI.edz"
"$build/bin/make_bench_folder" "$work/records" 0 5000000 100 5
rm -f "$work/records/cct_input.txt" "$work/records/PUNKTY.ept"
for case in adjustment records; do
  /usr/bin/time -f "$case: %e s, peak %M KB, exit %x" "$build/bin/zornak_batch" "$work/$case" \
    > "$work/$case.out" 2> "$work/$case.err" || true
  tail -n 1 "$work/$case.err"
  grep -E "Edit9|Edit12" "$work/$case.out" || true
done
