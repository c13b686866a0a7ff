#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time to the first paint and resident memory of the window, on a virtual X
# display (Xvfb) of its own.
# Usage: bench/window_start.sh [BUILD_DIR] [RUNS] [FILE.sbg ...]   (build, 6 runs by default)
# With session files, the session window is started on them instead of the fixed window.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-6}
shift $(($# < 2 ? $# : 2))
source "$here/quiet.sh"

# A display number nobody is using.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
runtime=$(mktemp -d)
cleanup() { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$runtime"; }
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
export XDG_RUNTIME_DIR=$runtime

echo "== tovin window start-up, $runs runs"
wait_for_quiet
"$build/bench/bench_window_start" "$runs" "$@"
report_load_after
