#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The long fuzzing run: builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz-perf/, then runs each target until it has executed
# N inputs (10 million by default) or spent its time limit (2 hours by default), whichever
# comes first, starting from the committed seeds. Prints executions and findings per target;
# exits non-zero when any target found a crash, a leak or a broken property.
#   scripts/fuzz-long.sh [--runs N] [--max-seconds S] [target...]
# Targets: receive_fuzz (client receive path), profile_fuzz (settings file), number_fuzz
# (number rules), recording_fuzz (recording reader and writer). Inputs that found something
# are kept in build-fuzz-perf/findings/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

runs=10000000
max_seconds=7200
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --max-seconds) max_seconds=$2; shift 2 ;;
    -*) echo "usage: $0 [--runs N] [--max-seconds S] [target...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(receive_fuzz profile_fuzz number_fuzz recording_fuzz)

dir="build-fuzz-perf"
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERBVIEW_BUILD_FUZZ=ON \
  -DKERBVIEW_SANITIZE=ON -DKERBVIEW_BUILD_GUI=OFF -DKERBVIEW_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j 2 --target "${targets[@]}"

corpus_of() {
  case $1 in
    receive_fuzz) echo receive ;;
    profile_fuzz) echo profile ;;
    number_fuzz) echo number ;;
    recording_fuzz) echo recording ;;
  esac
}
max_len_of() {
  case $1 in
    receive_fuzz) echo 70000 ;;
    profile_fuzz) echo 4096 ;;
    recording_fuzz) echo 8192 ;;
    *) echo 256 ;;
  esac
}

mkdir -p "$dir/findings"
status=0
summary=()
for t in "${targets[@]}"; do
  work="$dir/long-$t"
  mkdir -p "$work"
  log="$dir/long-$t.log"
  echo "fuzzing $t: up to $runs runs or $max_seconds s"
  t0=$(date +%s)
  set +e
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$dir/$t" -runs="$runs" -max_total_time="$max_seconds" -max_len="$(max_len_of "$t")" \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/findings/$t-" \
    "$work" "fuzz/corpus/$(corpus_of "$t")" >"$log" 2>&1
  rc=$?
  set -e
  secs=$(($(date +%s) - t0))
  execs=$(awk '/stat::number_of_executed_units/ {print $NF}' "$log")
  if [ "$rc" -eq 0 ]; then
    summary+=("$t: ${execs:-?} executions in ${secs:-?} s, no findings")
  else
    summary+=("$t: FINDING after ${execs:-?} executions (exit $rc); see $log and $dir/findings/")
    status=1
  fi
done

echo
printf '%s\n' "${summary[@]}"
exit "$status"
