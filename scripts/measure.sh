#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Process-level measurement, loopback only: under an Xvfb of its own, the stand-in simulator, a
# server copy and a client copy of Kerbview at a 10 ms scan (each in its own folder with its own
# Kerbview.ini, connected over 127.0.0.1). After the simulator link's appearance delay it
# measures for N seconds (60 by default) and reports, for each copy: CPU use in percent of one
# core (user + system time from /proc/PID/stat), frames drawn per second (counted from outside
# through the X DAMAGE extension by bench/paint_counter), packets sent (server) or presented
# (client) per second as counted by the program itself (--stats-file), peak resident memory
# (VmHWM) and the time from start to its window being shown; and the X server's CPU use.
#   scripts/measure.sh [--seconds N] [--scenario session|track|idle] [--decoys N] [--solo]
#                      [--against REV | --windows DIR | --recording] [--rounds R]
#                      [--no-build | --build-dir DIR]
# Scenarios: session (default) the stand-in's race, a few figures changing each scan; track
# every displayed figure changing every scan (the stand-in's --track); idle no simulator window
# at all. --decoys N opens N other top-level windows first. --solo runs one copy without a role
# instead of the server and client (its figures are in the server's rows).
# --against REV builds revision REV (a commit, tag or branch) in build-perf-rev-<commit>/ (kept
# for later runs) and runs it and this tree's build in turn, REV first, R rounds (2 by default:
# REV, this, REV, this) in one invocation under the same stand-in and display, then prints each
# run, the means and the ratios this / REV.
# Without --against, exits non-zero when a figure misses its budget: <= 5 % of a core and
# <= 60 MB each, client >= 95 packets/s, window shown within 0.5 s.
# --windows DIR runs the Windows program of MinGW build folder DIR (DIR/kerbview.exe) under Wine
# beside this tree's Linux build, in turn, R rounds (linux, windows, linux, windows), both
# reading the Windows stand-in (DIR/sim-standin-win32.exe) under Wine, in a Wine prefix of the
# script's own whose Wine server it starts and measures too; it prints the ratios windows /
# linux and the size of DIR's release zip. Wine's drawing is not Windows', so the ratio is a
# figure to report, not a budget.
# --recording runs this tree's build with its stints recorded ([Recording] Enabled=1, each copy
# into its own folder) and not, in turn, R rounds (off, on, off, on), and prints the ratios
# on / off.
# KERBVIEW_MEASURE_DISPLAY=N starts the Xvfb on display :N instead of a free one it picks.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

seconds=60
build=1
dir="build-perf"
scenario=session
decoys=0
against=""
windows=""
recording=0
rounds=2
solo=0
usage="usage: $0 [--seconds N] [--scenario session|track|idle] [--decoys N] [--solo] [--against REV | --windows DIR | --recording] [--rounds R] [--no-build | --build-dir DIR]"
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --scenario) scenario=$2; shift 2 ;;
    --decoys) decoys=$2; shift 2 ;;
    --solo) solo=1; shift ;;
    --against) against=$2; shift 2 ;;
    --windows) windows=$2; shift 2 ;;
    --recording) recording=1; shift ;;
    --rounds) rounds=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; build=0; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
case $scenario in session | track | idle) ;; *) echo "$usage" >&2; exit 2 ;; esac
if [ -n "$windows" ]; then
  if [ -n "$against" ] || [ "$decoys" -ne 0 ]; then
    echo "--windows goes with neither --against nor --decoys" >&2
    exit 2
  fi
  for program in kerbview.exe sim-standin-win32.exe; do
    [ -f "$windows/$program" ] || { echo "No $windows/$program: build the MinGW build first." >&2; exit 1; }
  done
fi

[ "$build" -eq 1 ] && perf_build "$dir" kerbview sim-standin paint_counter

builds=("$dir/kerbview")
labels=("this")
if [ -n "$against" ]; then
  perf_build_revision "$against"
  builds=("$perf_rev_program" "$dir/kerbview")
  labels=("${against}" "this")
fi

if [ -n "$windows" ]; then
  builds=("$dir/kerbview" "$windows/kerbview.exe")
  labels=("linux" "windows")
fi

if [ "$recording" -eq 1 ]; then
  if [ -n "$against" ] || [ -n "$windows" ]; then
    echo "--recording goes with neither --against nor --windows" >&2
    exit 2
  fi
  builds=("$dir/kerbview" "$dir/kerbview")
  labels=("off" "on")
fi

# record FOLDER: the copy in FOLDER records its stints when this run's label is "on".
record() {
  [ "$recording" -eq 1 ] && [ "$2" = on ] && printf '[Recording]\r\nEnabled=1\r\n' >>"$1/Kerbview.ini"
  return 0
}

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

perf_start_xvfb
wineserver_pid=""
standin=("$dir/sim-standin" --decoys "$decoys")
if [ -n "$windows" ]; then
  perf_start_wine
  wineserver_pid=$perf_wineserver_pid
  standin=(/usr/lib/wine/wine64 "$windows/sim-standin-win32.exe")
fi
[ "$scenario" = track ] && standin+=(--track)
perf_start_standin "${standin[@]}"
if [ "$scenario" = idle ]; then
  perf_standin close
fi
hz=$(getconf CLK_TCK)

counter() {  # counter FILE NAME: a count and its time (ms) from a stats file
  awk -v k="$2" -F= '$1 == k {v = $2} $1 == "ms" {m = $2} END {if (v != "") print v, m}' \
    "$1" 2>/dev/null || true
}

# reading SERVER CLIENT FOLDER: the clock (ns), the CPU ticks of the server, the client (- for
# none) and Xvfb, then each count with its time (ms): packets sent and presented, and frames
# drawn by the server and the client (- for what is not there).
reading() {
  local server=$1 client=$2 folder=$3 c=- pair counts=()
  [ -n "$client" ] && c=$(perf_cpu_ticks "$client")
  for pair in server/stats:sent client/stats:presented server/paints:paints client/paints:paints; do
    read -r -a got < <(counter "$folder/${pair%%:*}" "${pair#*:}") || true
    counts+=("${got[0]:--}" "${got[1]:--}")
  done
  local w=-
  [ -n "$wineserver_pid" ] && w=$(perf_cpu_ticks "$wineserver_pid")
  echo "$(date +%s%N) $(perf_cpu_ticks "$server") $c $(perf_cpu_ticks "$perf_xvfb_pid") ${counts[*]} $w"
}

# run BINARY LABEL: one measured run of a server and a client copy of BINARY; appends one line
# of figures to $perf_work/results.
run() {
  local binary=$1 label=$2 port run_dir
  run_dir=$(mktemp -d "$perf_work/run.XXXX")
  port=$(perf_free_port)
  perf_make_copy "$run_dir/server" "$binary" $((1 - solo)) "$port"
  record "$run_dir/server" "$label"
  perf_start_copy "$run_dir/server" 1 --stats-file "$run_dir/server/stats"
  local server=$perf_started_pid server_shown=$perf_shown_ms
  perf_count_paints "$dir/paint_counter" "$server" "$run_dir/server/paints"
  local server_counter=$perf_started_pid
  local client="" client_shown=- client_counter=""
  if [ "$solo" -eq 0 ]; then
    perf_make_copy "$run_dir/client" "$binary" 2 "$port"
    record "$run_dir/client" "$label"
    perf_start_copy "$run_dir/client" 2 --stats-file "$run_dir/client/stats"
    client=$perf_started_pid
    client_shown=$perf_shown_ms
    perf_count_paints "$dir/paint_counter" "$client" "$run_dir/client/paints"
    client_counter=$perf_started_pid
  fi

  # The server reads the simulator only after the appearance delay (3.5 s); a little more lets
  # both copies settle.
  sleep 5
  local before after client_hwm=-
  before=$(reading "$server" "$client" "$run_dir")
  echo "measuring $label for $seconds s (pids $server $client, port $port)"
  sleep "$seconds"
  after=$(reading "$server" "$client" "$run_dir")
  [ -n "$client" ] && client_hwm=$(perf_hwm_kb "$client")
  echo "$label $hz $(perf_hwm_kb "$server") $client_hwm $server_shown $client_shown $before $after" \
    >>"$perf_work/results"
  local pid
  for pid in $client_counter $server_counter $client $server; do
    perf_stop "$pid"
    perf_forget "$pid"
  done
  # A run is only worth its figures with the simulator there all along.
  if ! kill -0 "$perf_standin_pid" 2>/dev/null; then
    echo "the stand-in simulator ended during the run of $label: no figures" >&2
    exit 1
  fi
}

touch "$perf_work/results"
if [ ${#builds[@]} -eq 1 ]; then
  run "${builds[0]}" "${labels[0]}"
else
  for ((r = 0; r < rounds; r++)); do
    run "${builds[0]}" "${labels[0]}"
    run "${builds[1]}" "${labels[1]}"
  done
fi

side=""
if [ -n "$against$windows" ] || [ "$recording" -eq 1 ]; then side=side; fi
python3 - "$perf_work/results" "$scenario" "$decoys" "$side" "$solo" <<'PY'
import sys
from statistics import mean

lines = [l.split() for l in open(sys.argv[1]) if l.strip()]
scenario, decoys, side, solo = sys.argv[2], int(sys.argv[3]), sys.argv[4] == "side", sys.argv[5] == "1"

def num(x):
    return None if x == "-" else int(x)

def rate(c0, c1, m0, m1):  # counts over the milliseconds the writer noted beside them
    c0, c1, m0, m1 = map(num, (c0, c1, m0, m1))
    if None in (c0, c1, m0, m1) or m1 == m0:
        return None
    return (c1 - c0) / ((m1 - m0) / 1000)

runs = []
for a in lines:
    # label, clock ticks a second, peak memory and start-up of both copies, then two readings
    hz = float(a[1])
    r0, r1 = a[6:19], a[19:32]
    elapsed = (int(r1[0]) - int(r0[0])) / 1e9
    cpu = lambda i: None if r0[i] == "-" else (int(r1[i]) - int(r0[i])) / hz / elapsed * 100
    count = lambda i: rate(r0[i], r1[i], r0[i + 1], r1[i + 1])
    mb = lambda x: None if x == "-" else int(x) / 1024
    ms = lambda x: None if x == "-" else int(x)
    runs.append({
        "label": a[0], "elapsed": elapsed,
        "server CPU %": cpu(1), "client CPU %": cpu(2), "Xvfb CPU %": cpu(3),
        "wineserver CPU %": cpu(12),
        "server paints/s": count(8), "client paints/s": count(10),
        "server packets sent/s": count(4), "client packets presented/s": count(6),
        "server peak RSS MB": mb(a[2]), "client peak RSS MB": mb(a[3]),
        "server start to shown ms": ms(a[4]), "client start to shown ms": ms(a[5]),
    })
figures = [k for k in runs[0] if k not in ("label", "elapsed")]
if all(r["wineserver CPU %"] is None for r in runs):
    figures.remove("wineserver CPU %")
if solo:  # one copy without a role, in the server's rows
    figures = [k for k in figures if not k.startswith("client")]
    for r in runs:
        for k in list(r):
            if k.startswith("server "):
                r["copy " + k[7:]] = r.pop(k)
    figures = ["copy " + k[7:] if k.startswith("server ") else k for k in figures]
fmt = lambda v: "n/a" if v is None else f"{v:.2f}"
extra = f", {decoys} other windows" if decoys else ""
extra += ", one copy without a role" if solo else ""
print(f"\nscenario {scenario}{extra}, 10 ms scan, {runs[0]['elapsed']:.1f} s a run")

if not side:
    r = runs[0]
    budgets = {
        "server CPU %": lambda v: v <= 5, "client CPU %": lambda v: v <= 5,
        "copy CPU %": lambda v: v <= 5, "copy peak RSS MB": lambda v: v <= 60,
        "copy start to shown ms": lambda v: v <= 500,
        "server peak RSS MB": lambda v: v <= 60, "client peak RSS MB": lambda v: v <= 60,
        "client packets presented/s": lambda v: v >= 95 if scenario != "idle" else True,
        "server start to shown ms": lambda v: v <= 500, "client start to shown ms": lambda v: v <= 500,
    }
    limits = {"copy CPU %": "<= 5", "copy peak RSS MB": "<= 60", "copy start to shown ms": "<= 500",
              "server CPU %": "<= 5", "client CPU %": "<= 5", "server peak RSS MB": "<= 60",
              "client peak RSS MB": "<= 60", "client packets presented/s": ">= 95",
              "server start to shown ms": "<= 500", "client start to shown ms": "<= 500"}
    if scenario == "idle":
        limits["client packets presented/s"] = "(none)"
    failed = False
    for k in figures:
        v = r[k]
        verdict = ""
        if k in budgets:
            ok = v is not None and budgets[k](v)
            failed |= not ok
            verdict = f"budget {limits[k]:7} " + ("met" if ok else "MISSED")
        print(f"{k:30} {fmt(v):>9}  {verdict}")
    sys.exit(1 if failed else 0)

labels = list(dict.fromkeys(r["label"] for r in runs))
base, this = labels[0], labels[-1]
print(f"runs in order: {' '.join(r['label'] for r in runs)}\n")
print(f"{'':30} " + " ".join(f"{r['label'][:9]:>9}" for r in runs))
for k in figures:
    print(f"{k:30} " + " ".join(f"{fmt(r[k]):>9}" for r in runs))
print(f"\n{'mean of the runs':30} {base[:12]:>12} {this[:12]:>12} {this[:7] + '/' + base[:7]:>14}")
for k in figures:
    vals = {}
    for label in (base, this):
        xs = [r[k] for r in runs if r["label"] == label and r[k] is not None]
        vals[label] = mean(xs) if xs else None
    a, b = vals[base], vals[this]
    ratio = f"{b / a:.2f}x" if a not in (None, 0) and b is not None else "n/a"
    print(f"{k:30} {fmt(a):>12} {fmt(b):>12} {ratio:>14}")
PY
if [ -n "$windows" ]; then
  for zip in "$windows"/kerbview-*-windows-x64.zip; do
    [ -f "$zip" ] && echo "$zip: $(stat -c %s "$zip") bytes"
  done
fi
