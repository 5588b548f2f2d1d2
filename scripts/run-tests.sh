#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test command. Installs what is missing (apt-get), then:
#   1. build/       RelWithDebInfo, warnings as errors; every test, under an Xvfb display that
#                   this script starts and stops itself
#   2. build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer, without the Qt front end;
#                   the Qt-free unit tests
#   3. fuzz         (placeholder, see below)
#   4. format       clang-format check of the sources (scripts/check-format.sh)
# Every stage runs even when an earlier one failed; the exit status is non-zero when any stage
# failed, and the last lines sum the stages up with ctest's own summary lines.
# shellcheck disable=SC2317  # the functions below run through traps and the stage runner
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
# shellcheck source=lib/common.sh
source scripts/lib/common.sh

kerbview_install_packages || exit 1

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts Xvfb on a free display (the server picks it and reports it through -displayfd) and
# points DISPLAY at it. Qt then uses its X11 platform there; a test that wants Qt's offscreen
# platform sets QT_QPA_PLATFORM for itself.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      cat "$work/xvfb.log" >&2
      return 1
    fi
    sleep 0.1
  done
  [ -s "$work/display" ] || return 1
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
  xdpyinfo >/dev/null || return 1
  echo "Xvfb on display $DISPLAY"
}

# Runs ctest in a build folder, keeps its output, and stores its summary lines for the end.
run_ctest() {
  local dir=$1 name=$2
  (cd "$dir" && ctest --output-on-failure --timeout 600 -j "$(kerbview_jobs)") 2>&1 |
    tee "$work/$name.ctest"
  local status=${PIPESTATUS[0]}
  sed -n '/tests passed, /,$p' "$work/$name.ctest" >"$work/$name.summary"
  return "$status"
}

results=()
failed=0
stage() {  # stage NAME COMMAND...: runs one stage and records how it ended
  local name=$1
  shift
  echo
  echo "==== $name ===="
  if "$@"; then
    results+=("$name: passed")
  else
    results+=("$name: FAILED")
    failed=1
  fi
}

# A build that fails still runs the tests that were built; the stage fails all the same.
stage_main() {
  local built=0
  kerbview_build build || built=$?
  [ -f build/CTestTestfile.cmake ] || return 1
  run_ctest build build && [ "$built" -eq 0 ]
}

stage_asan() {
  local built=0
  kerbview_build build-asan -DKERBVIEW_SANITIZE=ON -DKERBVIEW_BUILD_GUI=OFF || built=$?
  [ -f build-asan/CTestTestfile.cmake ] || return 1
  ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest build-asan build-asan && [ "$built" -eq 0 ]
}

# ---- Fuzz runs: PLACEHOLDER ------------------------------------------------------------------
# The fuzz stage goes here: a clang build in build-fuzz/ with -DKERBVIEW_BUILD_FUZZ=ON and a
# short, time-limited run of every libFuzzer target. Until then the stage only says so.
stage_fuzz() {
  echo "no fuzz runs yet"
}
# ---- end of fuzz runs -----------------------------------------------------------------------

stage_format() {
  bash scripts/check-format.sh
}

if ! start_xvfb; then
  echo "Could not start Xvfb; tests that need a display will fail." >&2
  results+=("Xvfb: FAILED")
  failed=1
fi
stage "build/ (all tests)" stage_main
stage "build-asan/ (unit tests, ASan+UBSan)" stage_asan
stage "fuzz" stage_fuzz
stage "clang-format" stage_format

echo
echo "==== Summary ===="
for r in "${results[@]}"; do echo "$r"; done
for name in build build-asan; do
  if [ -s "$work/$name.summary" ]; then
    echo
    echo "ctest in $name/:"
    cat "$work/$name.summary"
  fi
done
exit "$failed"
