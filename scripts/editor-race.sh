#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How many saves of a text editor are lost while two copies of Kerbview write the same settings
# file (bench/editor_race.cpp says how it counts). Builds the counter against this tree's
# settings code and, with --against, against revision REV's (the same counter, the other
# revision's src/core), then runs them in turn, R rounds, each with SAVES saves renamed over the
# file and SAVES saves made in place. Not part of the test command: a run takes a minute or so.
#   scripts/editor-race.sh [--saves N] [--rounds R] [--against REV] [--folder DIR]
# --folder makes the files in DIR (another file system: /dev/shm, a mounted disk).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

saves=1500
rounds=1
against=""
folder=""
usage="usage: $0 [--saves N] [--rounds R] [--against REV] [--folder DIR]"
while [ $# -gt 0 ]; do
  case $1 in
    --saves) saves=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --against) against=$2; shift 2 ;;
    --folder) folder=$2; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# build SOURCE_TOP OUTPUT: the counter against SOURCE_TOP/src/core (its Linux files).
build() {
  local core=()
  mapfile -t core < <(ls "$1"/src/core/*.cpp | grep -v '_win32\.cpp$')
  "${CXX:-c++}" -std=c++20 -O2 -I "$1/src" bench/editor_race.cpp "${core[@]}" -o "$2"
}

labels=()
if [ -n "$against" ]; then
  commit=$(git rev-parse --verify "$against^{commit}")
  mkdir -p "$work/rev"
  git archive "$commit" src/core | tar -x -C "$work/rev"
  build "$work/rev" "$work/editor_race-rev"
  labels+=(rev)
fi
build . "$work/editor_race-this"
labels+=(this)

for round in $(seq "$rounds"); do
  for label in "${labels[@]}"; do
    name=$label
    [ "$label" = rev ] && name=$against
    for mode in rename inplace; do
      echo "round $round, $name: $("$work/editor_race-$label" "$mode" "$saves" ${folder:+"$folder"})"
    done
  done
done
