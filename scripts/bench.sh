#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The benchmark command: builds the Google Benchmark programs in build-perf/ (optimised, with
# -DKERBVIEW_BUILD_BENCH=ON), runs each with repetitions, and prints a table of medians, the
# acquisition's ratios to its two floors (batched and read by read), and the budget each figure
# is held to.
#   scripts/bench.sh [--reps N] [--no-build]
# Needs an X display for the scan benchmark (it starts the stand-in simulator itself); without
# DISPLAY it starts an Xvfb of its own. Raw results: build-perf/bench-results/*.json.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh

reps=10
build=1
while [ $# -gt 0 ]; do
  case $1 in
    --reps) reps=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    *) echo "usage: $0 [--reps N] [--no-build]" >&2; exit 2 ;;
  esac
done
# The table shows medians, which Google Benchmark reports only for two repetitions or more.
if ! [ "$reps" -ge 2 ] 2>/dev/null; then
  echo "--reps needs a whole number of at least 2" >&2
  exit 2
fi

dir="build-perf"
targets=(scan_bench telemetry_bench presentation_bench panel_widgets_bench net_bench sim-standin)
if [ "$build" -eq 1 ]; then
  kerbview_install_packages
  # RelWithDebInfo (-O2 with symbols): the flags build/ ships the program with, and symbols
  # for perf and callgrind when a figure needs explaining.
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERBVIEW_BUILD_BENCH=ON \
    -DKERBVIEW_BUILD_TESTS=OFF >/dev/null
  cmake --build "$dir" -j 2 --target "${targets[@]}"
fi

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  kerbview_start_xvfb "$work" || exit 1
  xvfb_pid=$kerbview_xvfb_pid
fi

out="$dir/bench-results"
mkdir -p "$out"
for b in scan_bench telemetry_bench presentation_bench panel_widgets_bench net_bench; do
  echo "running $b ($reps repetitions)"
  "$dir/$b" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/$b.json" --benchmark_out_format=json >"$out/$b.txt"
done

python3 - "$out" <<'PY'
import json, pathlib, sys

out = pathlib.Path(sys.argv[1])
median = {}
for f in out.glob("*.json"):
    for b in json.loads(f.read_text())["benchmarks"]:
        if b.get("aggregate_name") == "median":
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
            median[b["run_name"]] = b["real_time"] * scale
            median[b["run_name"] + ":cpu"] = b["cpu_time"] * scale

def us(name):
    return median.get(name)

rows = [
    ("Server tick: link, acquisition, presentation, send", "BM_ServerTick", 500.0),
    ("Scan: RACE07_Actiu + acquisition (/proc, X11)", "BM_Scan_LinkAndAcquisition", None),
    ("  RACE07_Actiu alone (X11 window search)", "BM_Scan_LinkOnly", None),
    ("  acquisition alone, batched (one process_vm_readv)", "BM_Scan_AcquisitionOnly", None),
    ("  acquisition alone, range by range (pread each)", "BM_Scan_AcquisitionRangeByRange", None),
    ("Floor: the same reads as bare pread", "BM_Floor_BarePread", None),
    ("Floor: one process_vm_readv", "BM_Floor_ProcessVmReadv", None),
    ("Present one snapshot into the panel model", "BM_PresentMetric", None),
    ("Present and paint what changed, values changing", "BM_PresentAndPaint_Changing", None),
    ("Present into the panel, values unchanged", "BM_PresentIntoPanel_Unchanged", None),
    ("Build one packet", "BM_BuildTelemetryPacket", None),
    ("Accept and unpack one packet", "BM_ReceiveAcceptUnpackPacket", None),
]
print()
print(f"{'median of repetitions':52} {'us':>9}  budget")
for label, name, budget in rows:
    t = us(name)
    text = f"{t:9.2f}" if t is not None else "      n/a"
    verdict = ""
    if budget is not None and t is not None:
        verdict = f"<= {budget:g} us: " + ("met" if t <= budget else "MISSED")
    print(f"{label:52} {text}  {verdict}")

def ratio(label, a, b, budget=None):
    ta, tb = us(a), us(b)
    if ta is None or tb is None:
        print(f"{label:52}       n/a")
        return
    r = ta / tb
    verdict = f"<= {budget:g}: " + ("met" if r <= budget else "MISSED") if budget else ""
    print(f"{label:52} {r:8.2f}x  {verdict}")

print()
ratio("acquisition, batched / process_vm_readv floor", "BM_Scan_AcquisitionOnly", "BM_Floor_ProcessVmReadv")
ratio("acquisition, range by range / bare pread floor", "BM_Scan_AcquisitionRangeByRange", "BM_Floor_BarePread", 1.3)
ratio("acquisition, batched / range by range", "BM_Scan_AcquisitionOnly", "BM_Scan_AcquisitionRangeByRange")
ratio("scan (link + acquisition) / process_vm_readv floor", "BM_Scan_LinkAndAcquisition", "BM_Floor_ProcessVmReadv")
PY
