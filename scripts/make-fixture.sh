#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the recording the tests replay and export again from the stand-in's session, and the
# golden files taken from it. Run it only when the recording or an export layout changes on
# purpose, then read the difference of the golden files before committing them.
#   scripts/make-fixture.sh [BUILD_DIR]   (default build/: standin-record, kerbview, app_tests,
#                                          laps_tests)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
data=tests/record/data
"$build/standin-record" "$data/stint.kvrec"
"$build/kerbview" --export "$data/stint.kvrec" --csv "$data/stint.csv" \
  --motec-csv "$data/stint-motec.csv"
# The packets and panels of a server replaying the stint to its client.
KERBVIEW_WRITE_GOLDEN=1 "$build/app_tests" --gtest_filter='FixtureReplay.*' >/dev/null
# The lap rows the stint replays to (tests/laps/data/stint-laps.csv).
KERBVIEW_WRITE_GOLDEN=1 "$build/laps_tests" --gtest_filter='LapsFixture.*' >/dev/null
echo "Made $data/stint.kvrec and its golden exports; check the rows the tests check by hand."
