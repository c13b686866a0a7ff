#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The engine's 10 ms tick over a minute of play with the other core kept busy
# (stress-ng --cpu 1): period deviation and the drift of the channel exchanges.
# Usage: bench/tick_period.sh [BUILD_DIR] [SECONDS]   (build, 60 s by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
seconds=${2:-60}
source "$here/quiet.sh"

echo "== engine tick over $seconds s, one core loaded by stress-ng --cpu 1"
wait_for_quiet
stress-ng --cpu 1 --timeout $((seconds + 30))s --quiet &
stress=$!
trap 'kill "$stress" 2>/dev/null || true; wait "$stress" 2>/dev/null || true' EXIT
sleep 1
"$build/bench/bench_tick_period" "$seconds"
report_load_after
