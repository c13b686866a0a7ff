#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The WAV render against the plain loop and sox (bench_render), once the machine is quiet,
# with its files in a folder of their own that goes afterwards.
# Usage: bench/render.sh [BUILD_DIR] [RUNS]   (build, 5 runs by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-5}
source "$here/quiet.sh"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
echo "== WAV render, $runs runs"
wait_for_quiet
"$build/bench/bench_render" "$runs" "$dir"
report_load_after
