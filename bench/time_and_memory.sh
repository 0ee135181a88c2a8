# Sourced by the benchmarks of the in-place rewrites: `measure NAME COMMAND...` runs the
# command once and appends "seconds kilobytes" (wall time and maximum resident set, from GNU
# time) to $work/NAME, failing on an exit other than 0 or 6 (suspect points: a whole run);
# `median` prints the median of the numbers on its input.
measure() {
  local name=$1 status=0
  shift
  /usr/bin/time -f "%e %M" -o "$work/$name.one" "$@" > /dev/null 2>&1 || status=$?
  if [ "$status" != 0 ] && [ "$status" != 6 ]; then echo "$*: exit $status" >&2; exit 1; fi
  cat "$work/$name.one" >> "$work/$name"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
