#!/bin/sh
# SPDX-License-Identifier: MIT
# Starts the stand-in simulator and Kerbview together; the stand-in ends with Kerbview.
# Usage: tools/run_demo.sh [build folder, default "build"]
set -eu
build="${1:-build}"
"$build/sim-standin" </dev/null &
standin=$!
trap 'kill "$standin" 2>/dev/null || true' EXIT INT TERM
"$build/kerbview"
