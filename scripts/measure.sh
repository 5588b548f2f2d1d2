#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Process-level measurement, loopback only: under an Xvfb of its own, the stand-in simulator, a
# server copy and a client copy of Kerbview at a 10 ms scan (each in its own folder with its own
# Kerbview.ini, connected over 127.0.0.1). After the simulator link's appearance delay it
# measures for N seconds (60 by default) and reports, for each copy: CPU use in percent of one
# core (user + system time from /proc/PID/stat), peak resident memory (VmHWM), the time from
# start to its window being shown, and packets sent (server) or presented (client) per second,
# as counted by the program itself (--stats-file).
#   scripts/measure.sh [--seconds N] [--no-build | --build-dir DIR]
# Exits non-zero when a figure misses its budget: <= 5 % of a core and <= 60 MB each, client
# >= 95 packets/s, window shown within 0.5 s.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

seconds=60
build=1
dir="build-perf"
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; build=0; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--no-build | --build-dir DIR]" >&2; exit 2 ;;
  esac
done

if [ "$build" -eq 1 ]; then
  kerbview_install_packages
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERBVIEW_BUILD_BENCH=ON \
    -DKERBVIEW_BUILD_TESTS=OFF >/dev/null
  cmake --build "$dir" -j 2 --target kerbview sim-standin
fi

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

perf_start_xvfb
perf_start_standin "$dir/sim-standin"
port=$(perf_free_port)
perf_make_copy "$perf_work/server" "$dir/kerbview" 1 "$port"
perf_make_copy "$perf_work/client" "$dir/kerbview" 2 "$port"

perf_start_copy "$perf_work/server" 1 --stats-file "$perf_work/server/stats"
server=$perf_started_pid
server_shown=$perf_shown_ms
perf_start_copy "$perf_work/client" 2 --stats-file "$perf_work/client/stats"
client=$perf_started_pid
client_shown=$perf_shown_ms

# The server reads the simulator only after the appearance delay (3.5 s); a little more lets
# both copies settle.
sleep 5

counter() {  # counter FOLDER NAME: a count and its time (ms) from the copy's stats file
  awk -v k="$2" -F= '$1 == k {v = $2} $1 == "ms" {m = $2} END {if (v != "") print v, m}' \
    "$1/stats" 2>/dev/null || true
}
hz=$(getconf CLK_TCK)
t0=$(date +%s%N)
s0=$(perf_cpu_ticks "$server")
c0=$(perf_cpu_ticks "$client")
x0=$(perf_cpu_ticks "$perf_xvfb_pid")
read -r sent0 sms0 < <(counter "$perf_work/server" sent) || true
read -r presented0 cms0 < <(counter "$perf_work/client" presented) || true
echo "measuring for $seconds s (server pid $server, client pid $client, port $port)"
sleep "$seconds"
t1=$(date +%s%N)
s1=$(perf_cpu_ticks "$server")
c1=$(perf_cpu_ticks "$client")
x1=$(perf_cpu_ticks "$perf_xvfb_pid")
read -r sent1 sms1 < <(counter "$perf_work/server" sent) || true
read -r presented1 cms1 < <(counter "$perf_work/client" presented) || true
server_hwm=$(perf_hwm_kb "$server")
client_hwm=$(perf_hwm_kb "$client")

python3 - "$hz" "$t0" "$t1" "$s0" "$s1" "$c0" "$c1" "$x0" "$x1" "$server_hwm" "$client_hwm" \
  "$server_shown" "$client_shown" "${sent0:-}" "${sent1:-}" "${presented0:-}" "${presented1:-}" \
  "${sms0:-}" "${sms1:-}" "${cms0:-}" "${cms1:-}" <<'PY'
import sys
a = sys.argv[1:]
hz, t0, t1 = float(a[0]), int(a[1]), int(a[2])
elapsed = (t1 - t0) / 1e9
cpu = lambda x, y: (int(y) - int(x)) / hz / elapsed * 100
# Counts over the milliseconds the copy itself wrote beside them.
rate = lambda x, y, m0, m1: (int(y) - int(x)) / ((int(m1) - int(m0)) / 1000) if x and y and m1 != m0 else None
server_cpu, client_cpu, xvfb_cpu = cpu(a[3], a[4]), cpu(a[5], a[6]), cpu(a[7], a[8])
server_mb, client_mb = int(a[9]) / 1024, int(a[10]) / 1024
server_shown, client_shown = int(a[11]), int(a[12])
sent, presented = rate(a[13], a[14], a[17], a[18]), rate(a[15], a[16], a[19], a[20])
failed = False

def row(label, value, unit, ok):
    global failed
    if value is None:
        print(f"{label:44} {'n/a':>9}        (no --stats-file counts)")
        failed = True
        return
    failed |= not ok
    print(f"{label:44} {value:9.2f} {unit:6} {'met' if ok else 'MISSED'}")

print(f"\nover {elapsed:.1f} s at a 10 ms scan")
row("server CPU, % of one core (budget <= 5)", server_cpu, "%", server_cpu <= 5)
row("client CPU, % of one core (budget <= 5)", client_cpu, "%", client_cpu <= 5)
row("server peak RSS (budget <= 60 MB)", server_mb, "MB", server_mb <= 60)
row("client peak RSS (budget <= 60 MB)", client_mb, "MB", client_mb <= 60)
row("client packets presented per second (>= 95)", presented, "/s", presented is not None and presented >= 95)
row("server packets sent per second", sent, "/s", True)
row("server start to window shown (<= 500 ms)", server_shown, "ms", server_shown <= 500)
row("client start to window shown (<= 500 ms)", client_shown, "ms", client_shown <= 500)
print(f"{'(Xvfb, drawing for both copies)':44} {xvfb_cpu:9.2f} %")
sys.exit(1 if failed else 0)
PY
