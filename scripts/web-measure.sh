#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the web dashboard costs the program, loopback only. Under an Xvfb of its own: the stand-in
# simulator, a server copy of Kerbview at a 10 ms scan with the dashboard on, and a client copy
# connected to it (each in its own folder with its own Kerbview.ini).
#   1. CPU: the server copy's CPU use (user + system time from /proc/PID/stat) over phases of
#      N seconds without browsers and with two headless Chromium browsers showing the dashboard,
#      interleaved (none, two, none, two, ...; --rounds pairs, 5 by default, of 30 s). Budget: the phases
#      with browsers cost at most 1 % of one core more than those without.
#   2. Stalled browser: for --stall seconds (60 by default) a client opens the feed and never
#      reads (a 4 kB receive buffer); whenever the server drops it, it opens the feed again. The
#      scan must keep its rate (the server's packets sent per second, in 10 s windows, at least
#      95) and the server's resident memory must not grow by more than 2 MB after the first
#      window.
# --windows DIR makes the server copy the Windows program of MinGW build folder DIR
# (DIR/kerbview.exe) under Wine, reading the Windows stand-in (DIR/sim-standin-win32.exe), in a
# Wine prefix of the script's own; its CPU then counts the Wine server's too, which carries its
# socket I/O. The client copy stays the Linux one.
#   scripts/web-measure.sh [--seconds N] [--rounds N] [--stall N] [--windows DIR]
#                          [--no-build | --build-dir DIR]
# Exits non-zero when a budget is missed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

seconds=30
rounds=5
stall=60
build=1
dir="build-perf"
windows=""
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --stall) stall=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; build=0; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--rounds N] [--stall N] [--windows DIR] [--no-build | --build-dir DIR]" >&2; exit 2 ;;
  esac
done

[ "$build" -eq 1 ] && perf_build "$dir" kerbview sim-standin

perf_work=$(mktemp -d)
browsers=()
stop_browsers() {
  local pid
  for pid in "${browsers[@]}"; do perf_stop "$pid"; done
  browsers=()
}
trap 'stop_browsers; perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

perf_start_xvfb
server_program="$dir/kerbview"
standin=("$dir/sim-standin")
wineserver_pid=""
if [ -n "$windows" ]; then
  perf_start_wine
  wineserver_pid=$perf_wineserver_pid
  server_program="$windows/kerbview.exe"
  standin=(/usr/lib/wine/wine64 "$windows/sim-standin-win32.exe")
fi
perf_start_standin "${standin[@]}"
port=$(perf_free_port)
web=$(perf_free_port)
while [ "$web" = "$port" ]; do web=$(perf_free_port); done
perf_make_copy "$perf_work/server" "$server_program" 1 "$port"
printf '[Web]\r\nEnabled=True\r\nPort=%s\r\n' "$web" >>"$perf_work/server/Kerbview.ini"
perf_make_copy "$perf_work/client" "$dir/kerbview" 2 "$port"
perf_start_copy "$perf_work/server" 1 --stats-file "$perf_work/server/stats"
server=$perf_started_pid
perf_start_copy "$perf_work/client" 2
sleep 5  # the simulator link's appearance delay, and settling

# Headless Chromium showing the dashboard at a phone's size, with a profile of its own.
start_browser() {
  local profile="$perf_work/browser$1"
  rm -rf "$profile"
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --window-size=915,412 "http://127.0.0.1:$web/" \
    >/dev/null 2>&1 7>&- &
  browsers+=("$!")
}
feeds() {  # established connections to the dashboard, seen from the browsers' side
  ss -Htn state established "( dport = :$web )" | wc -l
}
sent() { awk -F= '$1 == "sent" {print $2}' "$perf_work/server/stats"; }
# The server copy's CPU ticks, with the Wine server's under Wine.
server_ticks() {
  local ticks
  ticks=$(perf_cpu_ticks "$server")
  [ -n "$wineserver_pid" ] && ticks=$((ticks + $(perf_cpu_ticks "$wineserver_pid")))
  echo "$ticks"
}

hz=$(getconf CLK_TCK)
results="$perf_work/cpu"
: >"$results"
for round in $(seq "$rounds"); do
  for phase in none two; do
    if [ "$phase" = two ]; then
      start_browser 1
      start_browser 2
      sleep 4  # page, script, pictures and the whole state
    fi
    c0=$(server_ticks)
    t0=$(date +%s%N)
    sleep "$seconds"
    c1=$(server_ticks)
    t1=$(date +%s%N)
    open=$(feeds)
    stop_browsers
    echo "$round $phase $c0 $c1 $t0 $t1 $open" >>"$results"
    sleep 2
  done
done

# The stalled browser: opens the feed, never reads, opens it again whenever it is dropped. It
# cannot see the drop itself (the server's closing waits behind the data it never read), so it
# watches the server's end of its connection leave the established state.
python3 - "$web" "$stall" >"$perf_work/stalled" <<'PY' &
import socket, sys, time
port, seconds = int(sys.argv[1]), float(sys.argv[2])
request = (b"GET /feed HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
           b"Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
           b"Sec-WebSocket-Version: 13\r\n\r\n")

def server_side_established(mine):
    for line in open("/proc/net/tcp").readlines()[1:]:
        local, remote, state = line.split()[1:4]
        if int(local.split(":")[1], 16) == port and int(remote.split(":")[1], 16) == mine:
            return state == "01"
    return False

end = time.time() + seconds
drops = []
start = time.time()
while time.time() < end:
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    s.connect(("127.0.0.1", port))
    s.sendall(request)
    opened = time.time()
    mine = s.getsockname()[1]
    time.sleep(1)
    while time.time() < end and server_side_established(mine):
        time.sleep(0.2)
    if time.time() < end:
        drops.append(time.time() - opened)
    s.close()
print(len(drops), " ".join(f"{d:.0f}" for d in drops))
PY
stalled=$!
windows="$perf_work/windows"
: >"$windows"
for _ in $(seq $((stall / 10))); do
  s0=$(sent)
  t0=$(date +%s%N)
  sleep 10
  echo "$(($(sent) - s0)) $(($(date +%s%N) - t0)) $(perf_rss_kb "$server")" >>"$windows"
done
wait "$stalled" || true

python3 - "$hz" "$results" "$windows" "$(cat "$perf_work/stalled")" "$(perf_hwm_kb "$server")" <<'PY'
import sys
hz, results, windows, opened, hwm = float(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
failed = False
print("\nserver copy at a 10 ms scan, CPU in % of one core, phases interleaved:")
phases = {"none": [], "two": []}
for line in open(results):
    rnd, phase, c0, c1, t0, t1, open_ = line.split()
    cpu = (int(c1) - int(c0)) / hz / ((int(t1) - int(t0)) / 1e9) * 100
    phases[phase].append(cpu)
    label = "no browsers" if phase == "none" else f"two browsers ({open_} connections open)"
    print(f"  round {rnd}: {label:36} {cpu:6.2f} %")
mean = lambda v: sum(v) / len(v)
pairs = [b - a for a, b in zip(phases["none"], phases["two"])]
growth = mean(phases["two"]) - mean(phases["none"])
print(f"  mean without {mean(phases['none']):.2f} %, with two {mean(phases['two']):.2f} %, "
      f"growth {growth:+.2f} points (per round: {', '.join(f'{p:+.2f}' for p in pairs)})")
ok = growth <= 1.0
failed |= not ok
print(f"  budget: growth <= 1 point of one core: {'met' if ok else 'MISSED'}")

drops = opened.split()
print(f"\nstalled browser: dropped by the server {drops[0] if drops else '?'} times, each after "
      f"{', '.join(drops[1:]) or '-'} s unread; opened again at once")
rows = [tuple(map(int, l.split())) for l in open(windows)]
first_rss = rows[0][2] if rows else 0
for i, (sent, ns, rss) in enumerate(rows):
    rate = sent / (ns / 1e9)
    ok = rate >= 95
    failed |= not ok
    print(f"  {10 * i:3}-{10 * i + 10:3} s: {rate:6.1f} packets/s  RSS {rss / 1024:6.1f} MB  "
          f"{'' if ok else 'RATE MISSED'}")
grow = (rows[-1][2] - first_rss) / 1024 if rows else 0
ok = grow <= 2
failed |= not ok
print(f"  RSS growth after the first window {grow:+.2f} MB (budget <= 2): {'met' if ok else 'MISSED'}; "
      f"peak RSS {hwm / 1024:.1f} MB")
sys.exit(1 if failed else 0)
PY
