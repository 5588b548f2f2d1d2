#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up with a large settings file (the program's settings and a section of notes, N MB in
# all): the time from start to the window being shown, and what the program wrote by then
# (/proc/PID/io: write_bytes, the bytes it sent towards the disk, and wchar, every byte it
# passed to a write call, its X connection included). Under an Xvfb of its own, each run in a
# folder of its own with a fresh copy of the file.
#   scripts/large-settings-measure.sh [--megabytes N] [--rounds R] [--against REV]
#                                     [--no-build | --build-dir DIR]
# --against REV builds revision REV in build-perf-rev-<commit>/ (as scripts/measure.sh does)
# and runs it and this tree's build in turn, REV first, R rounds (2 by default).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

megabytes=20
rounds=2
against=""
build=1
dir="build-perf"
usage="usage: $0 [--megabytes N] [--rounds R] [--against REV] [--no-build | --build-dir DIR]"
while [ $# -gt 0 ]; do
  case $1 in
    --megabytes) megabytes=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --against) against=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; build=0; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

[ "$build" -eq 1 ] && perf_build "$dir" kerbview

builds=("$dir/kerbview")
labels=("this")
if [ -n "$against" ]; then
  perf_build_revision "$against"
  builds=("$perf_rev_program" "$dir/kerbview")
  labels=("$against" "this")
fi

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM
perf_start_xvfb

# The settings a user has, then notes of 60 bytes a line up to the size asked for.
awk -v bytes=$((megabytes * 1024 * 1024)) 'BEGIN {
  printf "[Opcions]\r\nIdioma=English\r\nScanTime=500\r\nUnitats=Metric\r\n\r\n[Notes]\r\n"
  for (n = 0; n * 60 < bytes; n++) printf "Note%07d=a line that a user keeps in the settings file\r\n", n
}' >"$perf_work/Kerbview.ini"
size=$(stat -c %s "$perf_work/Kerbview.ini")

printf '%-14s %10s %14s %14s\n' build shown_ms write_bytes wchar
for round in $(seq "$rounds"); do
  for i in "${!builds[@]}"; do
    folder="$perf_work/run-$round-$i"
    mkdir -p "$folder"
    cp "${builds[$i]}" "$folder/kerbview"
    cp "$perf_work/Kerbview.ini" "$folder/Kerbview.ini"
    perf_start_copy "$folder" 1
    pid=$perf_started_pid
    read -r written passed < <(awk '/^write_bytes/ {w = $2} /^wchar/ {c = $2} END {print w, c}' \
      "/proc/$pid/io")
    printf '%-14s %10s %14s %14s\n' "${labels[$i]}" "$perf_shown_ms" "$written" "$passed"
    perf_stop "$pid"
    perf_forget "$pid"
    rm -rf "$folder"
  done
done
echo "settings file: $size bytes"
