#!/usr/bin/env bash
# Long fuzzing runs: scripts/fuzz.sh [TARGET] [MINUTES]
# Runs one target (or every one, in turn) for MINUTES each (default 10) from
# its seeds in tests/data, keeping each corpus under build/fuzz-corpus/ so that
# a later run goes on where this one stopped. Crashes land in
# build/fuzz-crashes/<target>/; keep a fixed one in
# tests/data/fuzz-regressions/<target>/, which ctest replays.
# Prints each target's executions and final coverage.
set -eu
cd "$(dirname "$0")/.."
target=${1:-all}
minutes=${2:-10}
case $minutes in ""|*[!0-9]*|0) echo "MINUTES must be a whole number of at least 1"; exit 2;; esac
scripts/setup.sh
build=build/native
{ cmake --preset native && cmake --build "$build" -j "$(nproc)" --target panorel_core_fuzz; } >/dev/null
targets=$(cd "$build/fuzz" && ls -- *.seeds | sed 's/\.seeds$//')
[ "$target" = all ] || targets=$target
status=0
for t in $targets; do
  [ -f "$build/fuzz/$t.seeds" ] || { echo "no fuzz target $t (one of: $(echo $targets))"; exit 2; }
  cmake --build "$build" -j "$(nproc)" --target "$t" >/dev/null
  corpus=build/fuzz-corpus/$t crashes=build/fuzz-crashes/$t
  mkdir -p "$corpus" "$crashes"
  mapfile -t seeds < <(grep . "$build/fuzz/$t.seeds" || true)
  log=build/fuzz-crashes/$t.log
  rc=0
  "$build/fuzz/$t" -max_total_time=$((minutes * 60)) -max_len=20000 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" ${seeds[@]+"${seeds[@]}"} >"$log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  printf '%-24s %12s executions  cov %6s  corpus %5s%s\n' "$t" "${execs:-?}" "${cov:-?}" \
    "$(ls "$corpus" | wc -l)" "$([ $rc -eq 0 ] || echo "  FAILED (exit $rc, see $log)")"
  [ $rc -eq 0 ] || status=1
done
exit $status
