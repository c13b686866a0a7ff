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
}

# The load once the measurement is done: well above what the benchmark adds by itself
# (stress-ng adds about 0.6 over a minute), other work shared the machine meanwhile.
report_load_after() {
  echo "load average (1, 5, 15 min) at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
}
