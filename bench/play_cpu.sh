#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU share of `tovin-cli play` at real-time pace, beside sox's `play` of a 142/150 Hz sine
# pair in the same run: a PulseAudio server with a null sink stands in for the desktop's
# sound server, and ALSA's default device takes all of them to it. sox plays twice over:
# given tovin's own stream format (44.1 kHz, 16 bits, stereo, no dither), so that it sends
# the server the same bytes, and as plain `play -n synth` (sox's defaults: 48 kHz, 32
# bits). A second run does the same with the MIDI accompaniment on, FluidSynth included,
# beside the first sox. A third run plays a session of four voices at once (pink noise, two
# binaural voices and an isochronic one) beside sox's `play` of pink noise and two sines.
# Usage: bench/play_cpu.sh [BUILD_DIR] [SECONDS]   (build, 30 s by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
seconds=${2:-30}
cli="$build/cli/tovin-cli"
share="$build/bench/bench_cpu_share"
source "$here/quiet.sh"

runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
export PULSE_RUNTIME_PATH=$runtime/pulse
cleanup() { pulseaudio --kill >/dev/null 2>&1 || true; rm -rf "$runtime"; }
trap cleanup EXIT
pulseaudio -n --daemonize --exit-idle-time=-1 --log-target=stderr \
  --load=module-native-protocol-unix --load="module-null-sink sink_name=bench" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink bench

sox=(sox play -q -D -r 44100 -b 16 -c 2 -n synth "$seconds" sine 142 sine 150)
sox_defaults=(sox-defaults play -q -n synth "$seconds" sine 142 sine 150)
# sox warns that the null input has no sample size, although it plays; the line says nothing.
quiet_sox() { grep -v "alsa: can't encode 0-bit" >&2 || true; }

# Halfway through, lists who is playing into the sink, so that a program that did not
# reach it (and so did no work) shows.
streams_at_half_time() {
  sleep $((seconds / 2))
  echo "  streams playing at $((seconds / 2)) s:" \
    "$(pactl list sink-inputs | sed -n 's/.*application.process.binary = "\(.*\)"/\1/p' |
      sort | uniq -c | awk '{ printf "%s %s x%d", sep, $2, $1; sep = "," }')"
}

echo "== tovin-cli play beside sox play (twice), $seconds s"
wait_for_quiet
streams_at_half_time &
"$share" tovin-cli "$cli" play --seconds "$seconds" --volume 100 -- "${sox[@]}" \
  -- "${sox_defaults[@]}" 2> >(quiet_sox)
wait
report_load_after

echo "== tovin-cli play --midi beside sox play, $seconds s"
wait_for_quiet
streams_at_half_time &
"$share" tovin-cli-midi "$cli" play --seconds "$seconds" --volume 100 \
  --midi --midi-volume 100 -- "${sox[@]}" 2> >(quiet_sox)
wait
report_load_after

echo "== tovin-cli play --session (four voices) beside sox play of pink noise and two sines, $seconds s"
printf '%s\n' "-SE" "a: pink/30 200+10/20 300@8/15 100-4/10" \
  "b: pink/30 220+6/20 320@6/15 110-3/10" "00:00:00 a" "00:20:00 == a ->" "00:40:00 == b" \
  "01:00:00 b" > "$runtime/four.sbg"
wait_for_quiet
streams_at_half_time &
"$share" tovin-session "$cli" play --session "$runtime/four.sbg" --seconds "$seconds" \
  --volume 100 -- sox-noise play -q -n synth "$seconds" pinknoise sine 205 sine 195 \
  2> >(quiet_sox)
wait
report_load_after
