# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the benchmark scripts. Other work on the same cores would be measured along
# with ours: wait_for_quiet waits until the 1-minute load average is below
# BENCH_MAX_LOAD (1.0 unless set), then prints the load the measurement starts at.
wait_for_quiet() {
  local limit=${BENCH_MAX_LOAD:-1.0} waited=0
  while awk -v limit="$limit" '{ exit !($1 >= limit) }' /proc/loadavg; do
    if ((waited % 60 == 0)); then
      echo "waiting for the 1-minute load to fall below $limit (now $(cut -d' ' -f1 /proc/loadavg))" >&2
    fi
    sleep 10
    waited=$((waited + 10))
  done
  echo "load average (1, 5, 15 min) at start: $(cut -d' ' -f1-3 /proc/loadavg)"
  steal_at_start=$(steal_ticks)
}

# On a virtual machine the host may take a virtual core away for a while ("steal"): no
# priority inside the guest helps then. The share of the time stolen over the measurement
# tells late ticks of that kind from our own.
steal_ticks() { awk '/^cpu / { print $9, $2 + $3 + $4 + $5 + $6 + $7 + $8 + $9 }' /proc/stat; }

# The load once the measurement is done: well above what the benchmark adds by itself
# (stress-ng adds about 0.6 over a minute), other work shared the machine meanwhile.
report_load_after() {
  echo "load average (1, 5, 15 min) at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
  read -r steal0 total0 <<<"$steal_at_start"
  read -r steal1 total1 <<<"$(steal_ticks)"
  awk -v s=$((steal1 - steal0)) -v t=$((total1 - total0)) \
    'BEGIN { printf "time stolen by the host meanwhile: %.2f%% of all cores\n", t ? 100 * s / t : 0 }'
}
