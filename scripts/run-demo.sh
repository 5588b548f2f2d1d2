#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The demo command. Installs what is missing (apt-get), builds, then starts the stand-in
# simulator (build/sim-standin, when it has been built) and Kerbview beside it. Closing Kerbview
# stops the stand-in. The stand-in runs its live session, or with --recording FILE plays that
# Kerbview recording again and again (for example tests/record/data/stint.kvrec).
set -euo pipefail
recording=""
if [ "${1:-}" = --recording ] && [ $# -eq 2 ]; then
  recording=$(realpath -e -- "$2")
elif [ $# -ne 0 ]; then
  echo "usage: $0 [--recording FILE]" >&2
  exit 2
fi
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh

if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'TXT'
There is no display: DISPLAY is not set, so no window can open.
Run this from a desktop session (X11, or Wayland with XWayland), or over ssh -X.
To build and test without a display, use ./scripts/run-tests.sh (it starts its own Xvfb).
TXT
  exit 1
fi

kerbview_install_packages
# Only the two programs of the demo; the tests are built by run-tests.sh.
KERBVIEW_TARGETS="kerbview sim-standin" kerbview_build build

if [ ! -x build/kerbview ]; then
  echo "The build made no build/kerbview." >&2
  exit 1
fi

standin_pid=""
stop_standin() {
  if [ -n "$standin_pid" ]; then
    kill "$standin_pid" 2>/dev/null || true
    wait "$standin_pid" 2>/dev/null || true
  fi
}
trap stop_standin EXIT
trap 'exit 130' INT TERM

if [ -x build/sim-standin ] && [ -n "$recording" ]; then
  echo "Starting the stand-in simulator playing $recording (build/sim-standin)"
  build/sim-standin --play "$recording" --loop &
  standin_pid=$!
elif [ -x build/sim-standin ]; then
  echo "Starting the stand-in simulator (build/sim-standin)"
  build/sim-standin &
  standin_pid=$!
else
  echo "No build/sim-standin: Kerbview starts without a simulator to read."
fi

echo "Starting Kerbview (build/kerbview); close its window to end the demo."
build/kerbview
