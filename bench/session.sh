#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Session benchmarks, once the machine is quiet: the render of one hour of four voices
# beside sox and beside a plain write of a file that size (bench_session_render), the
# resident memory of a one-hour and a ten-hour render (bench_cpu_share reports the peak;
# the sound goes to /dev/null through a link named .wav, so that ten hours need no 6 GB of
# disk), and how exactly a slide's beat is heard (bench_session_beat).
# Usage: bench/session.sh [BUILD_DIR] [RUNS]   (build, 3 runs by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-3}
cli="$build/cli/tovin-cli"
source "$here/quiet.sh"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

echo "== render of one hour, $runs runs"
wait_for_quiet
"$build/bench/bench_session_render" "$runs" "$dir"
report_load_after

# The same four voices over one and over ten hours, the slide in the middle third.
session() {
  printf '%s\n' "-SE" "a: pink/30 200+10/20 300@8/15 100-4/10" \
    "b: pink/30 220+6/20 320@6/15 110-3/10" "00:00:00 a" "$1 == a ->" "$2 == b" "$3 b"
}
session 00:20:00 00:40:00 01:00:00 > "$dir/hour.sbg"
session 03:20:00 06:40:00 10:00:00 > "$dir/ten.sbg"
ln -s /dev/null "$dir/null.wav"
echo "== resident memory of a render: one hour, then ten"
wait_for_quiet
"$build/bench/bench_cpu_share" one-hour "$cli" render --session "$dir/hour.sbg" -o "$dir/null.wav"
"$build/bench/bench_cpu_share" ten-hours "$cli" render --session "$dir/ten.sbg" -o "$dir/null.wav"
report_load_after

echo "== the beat heard through a slide"
"$build/bench/bench_session_beat"
