#!/usr/bin/env bash
# CPU share of `tovin-cli play` at real-time pace: a PulseAudio server with a null sink
# stands in for the desktop's sound server, and ALSA's default device goes to it.
# Usage: bench/play_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
cli="$build/cli/tovin-cli"

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
export PULSE_RUNTIME_PATH=$runtime/pulse
cleanup() { pulseaudio --kill >/dev/null 2>&1 || true; rm -rf "$runtime"; }
trap cleanup EXIT
pulseaudio -n --daemonize --exit-idle-time=-1 --log-target=stderr \
  --load=module-native-protocol-unix --load="module-null-sink sink_name=bench" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink bench

ticks=$(getconf CLK_TCK)
"$cli" play --seconds "$seconds" --volume 100 >/dev/null &
pid=$!
sleep 1
read -r u0 s0 < <(awk '{print $14, $15}' "/proc/$pid/stat")
t0=$(date +%s.%N)
sleep $((seconds - 2))
read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
t1=$(date +%s.%N)
wait "$pid"
awk -v u0="$u0" -v s0="$s0" -v u1="$u1" -v s1="$s1" -v t0="$t0" -v t1="$t1" -v hz="$ticks" \
  'BEGIN { cpu = (u1 - u0 + s1 - s0) / hz; wall = t1 - t0;
           printf "tovin-cli play: %.2f s CPU over %.2f s played: %.2f%% of one core\n", cpu, wall, 100 * cpu / wall }'
