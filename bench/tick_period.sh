#!/usr/bin/env bash
# The engine's 10 ms tick over a minute of play with the other core kept busy
# (stress-ng --cpu 1): period deviation and the drift of the channel exchanges. The tick's
# thread takes real-time priority where the process may; run as root, the script measures
# that, then again without the right to raise priority (as an ordinary desktop user runs).
# Usage: bench/tick_period.sh [BUILD_DIR] [SECONDS]   (build, 60 s by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
seconds=${2:-60}
source "$here/quiet.sh"

runs=("")
if [ "$(id -u)" -eq 0 ]; then
  runs+=("setpriv --bounding-set=-sys_nice")
fi
for run in "${runs[@]}"; do
  echo "== engine tick over $seconds s, one core loaded by stress-ng --cpu 1${run:+, under $run}"
  wait_for_quiet
  stress-ng --cpu 1 --timeout $((seconds + 30))s --quiet &
  stress=$!
  trap 'kill "$stress" 2>/dev/null || true; wait "$stress" 2>/dev/null || true' EXIT
  sleep 1
  $run "$build/bench/bench_tick_period" "$seconds"
  kill "$stress" 2>/dev/null || true
  wait "$stress" 2>/dev/null || true
  trap - EXIT
done
