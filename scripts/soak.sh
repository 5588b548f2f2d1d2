#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Soak test, loopback only and bounded in time: 10 minutes by default, 1 minute with --short.
# Under an Xvfb of its own it runs the stand-in simulator and three copies of Kerbview at a
# 10 ms scan, each in its own folder with its own Kerbview.ini:
#   - a server and a client connected over 127.0.0.1; the server is killed and started again in
#     every cycle, so the client's server goes away and comes back;
#   - a second server on a port of its own that lives through the whole run, so that its link to
#     the simulator, attached and released in every cycle, is checked for leaks too.
# Every 10 s cycle: the stand-in opens its "RACE 07" window and the server starts; at 7 s the
# readings are taken; at 7.5 s the window closes and the server is killed. In every second cycle
# the simulator is restarted instead at 7.5 s: a new stand-in process shows its window before
# the old one ends, inside the disappearance grace, and keeps it; by the end of the cycle the
# second server must hold nothing of the old, dead process.
# Passes only when neither long-lived copy (client, second server) dies, no server dies before
# it is killed, the client presents at least 100 packets in every cycle after the server is back,
# the long-lived copies hold as many open file descriptors at the end as after the warm-up
# (two cycles; not counting the event descriptors of Qt's pooled worker threads, which come and
# go with those threads), and their resident memory grows by less than 2 MB after the warm-up.
#   scripts/soak.sh [--short] [--seconds N] [--no-build | --build-dir DIR]
# It builds kerbview and sim-standin in build-perf/ first; --build-dir uses the programs of
# another build folder as they are (the test command passes build/).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

seconds=600
build=1
dir="build-perf"
while [ $# -gt 0 ]; do
  case $1 in
    --short) seconds=60; shift ;;
    --seconds) seconds=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; build=0; shift 2 ;;
    *) echo "usage: $0 [--short] [--seconds N] [--no-build | --build-dir DIR]" >&2; exit 2 ;;
  esac
done
cycles=$((seconds / 10))
[ "$cycles" -ge 3 ] || { echo "soak: at least 30 s" >&2; exit 2; }

[ "$build" -eq 1 ] && perf_build "$dir" kerbview sim-standin

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

failures=()
fail() {
  failures+=("$*")
  echo "FAIL: $*"
}

perf_start_xvfb
perf_start_standin "$dir/sim-standin"
port=$(perf_free_port)
port2=$(perf_free_port)
while [ "$port2" = "$port" ]; do port2=$(perf_free_port); done
perf_make_copy "$perf_work/server" "$dir/kerbview" 1 "$port"
perf_make_copy "$perf_work/client" "$dir/kerbview" 2 "$port"
perf_make_copy "$perf_work/reader" "$dir/kerbview" 1 "$port2"

perf_start_copy "$perf_work/reader" 1 --stats-file "$perf_work/reader/stats"
reader=$perf_started_pid
perf_start_copy "$perf_work/client" 2 --stats-file "$perf_work/client/stats"
client=$perf_started_pid

presented() {
  awk -F= '$1 == "presented" {print $2}' "$perf_work/client/stats" 2>/dev/null || true
}
sent() {
  awk -F= '$1 == "sent" {print $2}' "$perf_work/server/stats" 2>/dev/null || true
}
alive() { kill -0 "$1" 2>/dev/null; }

at() {  # at MS: sleeps until MS milliseconds after the cycle began
  local due=$((start + $1 * 1000000)) now
  now=$(date +%s%N)
  [ "$due" -gt "$now" ] && sleep "$(awk -v d=$((due - now)) 'BEGIN {print d / 1e9}')"
  return 0
}

base_fd_client="" base_fd_reader="" base_rss_client="" base_rss_reader=""
echo "soak: $cycles cycles of 10 s (server port $port, second server port $port2)"
for cycle in $(seq "$cycles"); do
  start=$(date +%s%N)
  perf_standin open
  if ! perf_start_copy "$perf_work/server" 3 --stats-file "$perf_work/server/stats"; then
    fail "cycle $cycle: the server did not show its window"
    break
  fi
  server=$perf_started_pid
  at 3000
  before=$(presented) sent_before=$(sent)
  at 7000
  after=$(presented) sent_after=$(sent)
  for who in client reader server; do
    alive "${!who}" || fail "cycle $cycle: the $who copy died"
  done
  if [ -z "$before" ] || [ -z "$after" ]; then
    fail "cycle $cycle: the client wrote no packet counts"
  elif [ $((after - before)) -lt 100 ]; then
    fail "cycle $cycle: the client presented only $((after - before)) packets in 4 s after the server came back"
  fi
  fd_client=$(perf_fds "$client") fd_reader=$(perf_fds "$reader")
  threads_client=$(perf_threads "$client") threads_reader=$(perf_threads "$reader")
  rss_client=$(perf_rss_kb "$client") rss_reader=$(perf_rss_kb "$reader")
  echo "cycle $cycle: server sent $((${sent_after:-0} - ${sent_before:-0})) and client presented" \
    "$((${after:-0} - ${before:-0})) packets in 4 s;" \
    "fds client $fd_client, second server $fd_reader;" \
    "threads client $threads_client, second server $threads_reader;" \
    "RSS client $((rss_client / 1024)) MB, second server $((rss_reader / 1024)) MB"
  if [ "$cycle" -eq 2 ]; then
    base_fd_client=$fd_client base_fd_reader=$fd_reader
    base_rss_client=$rss_client base_rss_reader=$rss_reader
  fi
  at 7500
  if [ $((cycle % 2)) -eq 0 ]; then
    old_standin=$perf_standin_pid
    perf_start_standin "$dir/sim-standin" || { fail "cycle $cycle: no new stand-in"; break; }
    perf_stop "$old_standin"
  else
    perf_standin close
    old_standin=""
  fi
  perf_stop "$server"
  [ ${#failures[@]} -eq 0 ] || break
  at 10000
  if [ -n "$old_standin" ] &&
    find "/proc/$reader/fd" -mindepth 1 -maxdepth 1 -printf '%l\n' 2>/dev/null |
    grep -qx "/proc/$old_standin/mem"; then
    fail "cycle $cycle: the second server still holds the restarted simulator's old process"
  fi
done

if [ ${#failures[@]} -eq 0 ]; then
  [ "$fd_client" -eq "$base_fd_client" ] ||
    fail "client file descriptors: $base_fd_client after warm-up, $fd_client at the end"
  [ "$fd_reader" -eq "$base_fd_reader" ] ||
    fail "second server file descriptors: $base_fd_reader after warm-up, $fd_reader at the end"
  [ $((rss_client - base_rss_client)) -lt 2048 ] ||
    fail "client RSS grew by $(((rss_client - base_rss_client) / 1024)) MB after warm-up"
  [ $((rss_reader - base_rss_reader)) -lt 2048 ] ||
    fail "second server RSS grew by $(((rss_reader - base_rss_reader) / 1024)) MB after warm-up"
fi

echo
if [ ${#failures[@]} -ne 0 ]; then
  echo "soak FAILED after $cycle of $cycles cycles:"
  printf '  %s\n' "${failures[@]}"
  exit 1
fi
echo "soak passed: $cycles cycles; client fds $base_fd_client -> $fd_client," \
  "second server fds $base_fd_reader -> $fd_reader; RSS growth after warm-up:" \
  "client $((rss_client - base_rss_client)) kB, second server $((rss_reader - base_rss_reader)) kB"
