# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Shared by scripts/measure.sh, scripts/soak.sh and scripts/web-measure.sh (sourced, not run): an Xvfb of their own, the
# stand-in simulator, copies of Kerbview each in a folder with its own Kerbview.ini, and readings
# of a process from /proc. Every process started here is remembered and stopped by
# perf_stop_all. Callers set perf_work to a scratch folder first.

perf_pids=()

# Configures build folder $2 from source folder $1 with the flags every measured build uses
# (optimised with debug information, as the program ships; benchmarks on, tests off).
perf_configure() {
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERBVIEW_BUILD_BENCH=ON \
    -DKERBVIEW_BUILD_TESTS=OFF >/dev/null
}

# Installs what is missing, configures build folder $1 from this tree and builds the targets
# named after it.
perf_build() {
  local dir=$1
  shift
  kerbview_install_packages
  perf_configure . "$dir"
  cmake --build "$dir" -j 2 --target "$@"
}

# Builds the program of revision $1 (a commit, tag or branch) in build-perf-rev-<commit>/ from
# its source exported from git (no work tree of its own), once: later calls reuse it. Sets
# perf_rev_program to the program built.
perf_build_revision() {
  local commit rev_dir
  commit=$(git rev-parse --verify "$1^{commit}")
  rev_dir="build-perf-rev-${commit:0:12}"
  if [ ! -f "$rev_dir/built" ]; then
    rm -rf "$rev_dir"
    mkdir -p "$rev_dir/src"
    git archive "$commit" | tar -x -C "$rev_dir/src"
    perf_configure "$rev_dir/src" "$rev_dir/build"
    cmake --build "$rev_dir/build" -j 2 --target kerbview
    touch "$rev_dir/built"
  fi
  perf_rev_program="$rev_dir/build/kerbview"
}

# Starts Xvfb on a free display and exports DISPLAY; on display :$KERBVIEW_MEASURE_DISPLAY
# when that is set (on a shared machine, a number of one's own).
perf_start_xvfb() {
  if [ -n "${KERBVIEW_MEASURE_DISPLAY:-}" ]; then
    Xvfb ":$KERBVIEW_MEASURE_DISPLAY" -screen 0 1920x1080x24 -nolisten tcp \
      2>"$perf_work/xvfb.log" &
    perf_xvfb_pid=$!
    perf_pids+=("$perf_xvfb_pid")
    export DISPLAY=":$KERBVIEW_MEASURE_DISPLAY"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    local _
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && return 0
      kill -0 "$perf_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    cat "$perf_work/xvfb.log" >&2
    return 1
  fi
  kerbview_start_xvfb "$perf_work" || return 1
  perf_xvfb_pid=$kerbview_xvfb_pid
  perf_pids+=("$perf_xvfb_pid")
}

# Wine in a prefix of its own in $perf_work, quietly, with its windows unmanaged (no window
# manager runs on the Xvfb), and its Wine server started here in the foreground, so that it is
# stopped with the rest and its CPU can be read: sets perf_wineserver_pid.
perf_start_wine() {
  export WINEPREFIX="$perf_work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver -p -f &
  perf_wineserver_pid=$!
  perf_pids+=("$perf_wineserver_pid")
  { /usr/lib/wine/wine64 wineboot --init &&
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f; } \
    >"$perf_work/wineboot.log" 2>&1 || {
    cat "$perf_work/wineboot.log" >&2
    return 1
  }
}

# A TCP port that no socket of this machine uses right now (none in /proc/net/tcp*).
perf_free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    if ! grep -qi "$(printf ':%04X ' "$port")" /proc/net/tcp /proc/net/tcp6 2>/dev/null; then
      echo "$port"
      return
    fi
  done
}

# Starts the stand-in simulator (arguments after the program are passed on) with its commands
# read from a FIFO in $perf_work; file descriptor 7 stays open on it for perf_standin. Waits for
# its "ready". Called again, it starts a new stand-in process beside the running one (a simulator
# restarted) and points descriptor 7 at the new one; the caller ends the old one
# (perf_standin_pid keeps the newest).
perf_start_standin() {
  local binary=$1
  shift
  perf_standin_count=$((${perf_standin_count:-0} + 1))
  local fifo="$perf_work/standin$perf_standin_count.in" out="$perf_work/standin$perf_standin_count.out"
  mkfifo "$fifo"
  "$binary" "$@" <"$fifo" >"$out" 2>&1 &
  perf_standin_pid=$!
  perf_pids+=("$perf_standin_pid")
  exec 7>"$fifo"
  local _
  for _ in $(seq 100); do
    grep -q '^ready' "$out" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the stand-in simulator did not start:" >&2
  cat "$out" >&2
  return 1
}

# Sends one command line to the stand-in.
perf_standin() { echo "$*" >&7; }

# Makes folder $1 holding a copy of the program $2 and a Kerbview.ini for role $3 (1 server,
# 2 client) on port $4 at a 10 ms scan. The program reads Kerbview.ini beside its executable,
# and the kernel reports a symbolic link's target as the executable, so it is a real copy.
# Each role has a place of its own on the screen, so that no window hides another's drawing.
perf_make_copy() {
  local folder=$1 binary=$2 role=$3 port=$4 name=kerbview
  [[ $binary == *.exe ]] && name=kerbview.exe
  mkdir -p "$folder"
  cp "$binary" "$folder/$name"
  printf '[Opcions]\r\nScanTime=10\r\nTipusConexio=%s\r\nPort=%s\r\nIP=127.000.000.001\r\nDadesServ=True\r\nPosFormX=%s\r\nPosFormY=%s\r\n' \
    "$role" "$port" $((role * 10500 - 10500)) 4500 >"$folder/Kerbview.ini"
}

# Number of viewable top-level windows titled "Kerbview".
perf_shown_windows() {
  local id n=0
  for id in $(xwininfo -root -children 2>/dev/null | awk '/"Kerbview"/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' && n=$((n + 1))
  done
  echo "$n"
}

# Starts copy $1 (folder) with extra arguments, and waits until $2 Kerbview windows are shown.
# Sets perf_started_pid, and perf_shown_ms to the milliseconds from the start to the window
# being viewable (measured by polling, so late by up to one poll of about 10 ms).
perf_start_copy() {
  local folder=$1 windows=$2
  shift 2
  local t0
  t0=$(date +%s%N)
  if [ -f "$folder/kerbview.exe" ]; then
    (cd "$folder" && exec /usr/lib/wine/wine64 ./kerbview.exe "$@") >"$folder/out.log" 2>&1 7>&- &
  else
    (cd "$folder" && exec ./kerbview "$@") >"$folder/out.log" 2>&1 7>&- &
  fi
  perf_started_pid=$!
  perf_pids+=("$perf_started_pid")
  perf_shown_ms=""
  local until=$((t0 + 20000000000))
  while [ "$(date +%s%N)" -lt "$until" ]; do
    if [ "$(perf_shown_windows)" -ge "$windows" ]; then
      perf_shown_ms=$((($(date +%s%N) - t0) / 1000000))
      return 0
    fi
    kill -0 "$perf_started_pid" 2>/dev/null || break
  done
  echo "Kerbview in $folder showed no window; its output:" >&2
  cat "$folder/out.log" >&2
  return 1
}

# Counts the frames that copy $2 (a pid) draws into its Kerbview window with the paint counter
# $1 (bench/paint_counter), which rewrites file $3 once a second. Sets perf_started_pid.
perf_count_paints() {
  "$1" "$2" Kerbview "$3" 2>>"$perf_work/paint_counter.log" &
  perf_started_pid=$!
  perf_pids+=("$perf_started_pid")
}

# User plus system time of a process, in clock ticks.
perf_cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Peak and current resident memory, in kB.
perf_hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
perf_rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
# Open file descriptors, without the event descriptors of Qt's worker threads: a pooled thread
# holds one while it lives and ends after 30 s without work, so their number follows the
# threads, not a leak. Threads are counted by perf_threads.
perf_fds() {
  find "/proc/$1/fd" -mindepth 1 -maxdepth 1 -printf '%l\n' 2>/dev/null | grep -cv '^anon_inode:\[eventfd\]$'
}
perf_threads() { awk '/^Threads/ {print $2}' "/proc/$1/status"; }

# Stops one process: TERM, then KILL after 3 s.
perf_stop() {
  local pid=$1 _
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# Takes a stopped process off the list perf_stop_all works through, so that its number, once
# the system gives it to another process, is never signalled.
perf_forget() {
  local pid=$1 i
  for i in "${!perf_pids[@]}"; do
    [ "${perf_pids[$i]}" = "$pid" ] && unset 'perf_pids[i]'
  done
  perf_pids=("${perf_pids[@]}")
}

# Stops every process started here, the newest first.
perf_stop_all() {
  exec 7>&- 2>/dev/null || true
  local i
  for ((i = ${#perf_pids[@]} - 1; i >= 0; i--)); do
    perf_stop "${perf_pids[$i]}"
  done
  perf_pids=()
}
