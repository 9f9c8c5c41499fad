#!/usr/bin/env bash
# Builds all three presets and runs every test: the native core with
# sanitizers and fuzzers, then the x86_64 and the i686 Windows programs under
# Wine and Xvfb (each build in its own prefix and session). Ends with the
# CTest summary lines of each.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
# The tree stands alone: nothing tracked may reach outside the clone for its
# test data or tools (Markdown may still talk about other folders).
if git rev-parse --git-dir >/dev/null 2>&1 &&
   outside=$(git grep -nI -e '\.\./sh[a]red' -- ':!*.md') ; then
  echo "tracked files refer to a folder beside the repository:"; echo "$outside"; exit 1
fi
jobs=$(nproc)
log=build/test-logs
mkdir -p "$log"

build() {  # preset
  if ! { cmake --preset "$1" && cmake --build --preset "$1" -j "$jobs"; } >"$log/build-$1.log" 2>&1; then
    tail -n 40 "$log/build-$1.log"
    echo "build of preset $1 failed (full log: $log/build-$1.log)"
    exit 1
  fi
}

build native
build windows
build windows-x86

status=0
for preset in native windows windows-x86; do
  failed=0
  ctest --preset "$preset" -j "$jobs" --no-tests=error >"$log/ctest-$preset.log" 2>&1 || failed=1
  echo "== $preset"
  # Failures in full, then the summary.
  sed -n '/tests passed\|tests failed out of/,$p' "$log/ctest-$preset.log" | grep -v '^Output from\|^Use "--rerun'
  if [ $failed -ne 0 ]; then
    status=1
    grep -B2 -A30 '\[  FAILED  \]\|\*\*\*Failed\|\*\*\*Timeout' "$log/ctest-$preset.log" | head -n 80
  fi
done
exit $status
