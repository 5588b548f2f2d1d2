#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The mutation run: plants each fault of scripts/mutants.list in turn in a build folder of its
# own (build-mutants/ by default, configured like the test command's build/), builds the unit-test
# programs, runs them and says whether a test caught the fault. Not part of the test command.
#   scripts/mutants.sh [--only ID]... [--list] [--with-display] [--build-dir DIR] [--timeout S]
# --only ID       run only this mutant (repeatable)
# --list          list the mutants and check that each one's text is still found exactly once
# --with-display  also run qt_tests, under an Xvfb this script starts and stops
# --timeout S     time limit of each test program, in seconds (default 300)
# The unmutated tree is built and tested first; the run stops there when it fails. A mutant is
# killed when a test fails or times out, or when a test program no longer compiles; when the
# libraries themselves no longer build it is not a valid mutant and is counted apart. The
# mutated file is restored after each mutant, also on Ctrl-C, and the end checks that no source
# file is left changed. Logs go to BUILD_DIR/mutants/.
# shellcheck disable=SC2317  # cleanup runs through a trap
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
# shellcheck source=lib/common.sh
source scripts/lib/common.sh

list_file=scripts/mutants.list
build_dir=build-mutants
timeout=300
with_display=0
list_only=0
only=()
usage() {
  echo "usage: $0 [--only ID]... [--list] [--with-display] [--build-dir DIR] [--timeout S]" >&2
  exit 2
}
while [ $# -gt 0 ]; do
  case $1 in
    --only) [ $# -ge 2 ] || usage; only+=("$2"); shift 2 ;;
    --list) list_only=1; shift ;;
    --with-display) with_display=1; shift ;;
    --build-dir) [ $# -ge 2 ] || usage; build_dir=$2; shift 2 ;;
    --timeout) [ $# -ge 2 ] || usage; timeout=$2; shift 2 ;;
    *) usage ;;
  esac
done

# The libraries (a mutant that breaks them is no valid mutant) and the unit-test programs that
# need neither an X display nor Wine; their ctest entries carry the same names.
libraries=(kerbview_core kerbview_ui kerbview_telemetry kerbview_telemetry_platform
  kerbview_record kerbview_panel kerbview_laps kerbview_net kerbview_web kerbview_program
  kerbview_startup)
test_targets=(core_tests ui_tests telemetry_tests record_tests panel_tests laps_tests net_tests
  web_tests app_tests startup_tests)
if [ "$with_display" -eq 1 ]; then
  libraries+=(kerbview_qt)
  test_targets+=(qt_tests)
fi

# ---- the list ------------------------------------------------------------------------------
ids=() files=() finds=() replaces=() whats=()
parse_list() {
  local line key value n=-1 lineno=0 in_entry=0
  local -A seen=()
  add_line() {  # add_line ARRAY INDEX TEXT: sets or extends an entry's field by one line
    local -n field=$1
    if [ -z "${field[$2]+set}" ]; then field[$2]=$3; else field[$2]+=$'\n'"$3"; fi
  }
  while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    case $line in '#'*) continue ;; esac
    if [ -z "$line" ]; then
      in_entry=0
      continue
    fi
    key=${line%%:*}
    value=${line#*:}
    value=${value# }
    [ "$key" != "$line" ] || { echo "$list_file:$lineno: not a 'key: value' line" >&2; return 1; }
    if [ "$key" = id ]; then
      [ -z "${seen[$value]+set}" ] || { echo "$list_file:$lineno: id $value twice" >&2; return 1; }
      seen[$value]=1
      n=$((n + 1))
      ids[n]=$value
      in_entry=1
      continue
    fi
    [ "$in_entry" -eq 1 ] || { echo "$list_file:$lineno: entry without an id" >&2; return 1; }
    case $key in
      file) files[n]=$value ;;
      what) whats[n]=$value ;;
      find) add_line finds "$n" "$value" ;;
      replace) add_line replaces "$n" "$value" ;;
      *) echo "$list_file:$lineno: unknown key '$key'" >&2; return 1 ;;
    esac
  done <"$list_file"
  local i
  for i in "${!ids[@]}"; do
    if [ -z "${files[i]:-}" ] || [ -z "${finds[i]:-}" ] || [ -z "${whats[i]:-}" ]; then
      echo "$list_file: ${ids[i]} needs file, find and what" >&2
      return 1
    fi
    replaces[i]=${replaces[i]:-}
  done
}
parse_list || exit 1

selected=()
if [ ${#only[@]} -eq 0 ]; then
  selected=("${!ids[@]}")
else
  for want in "${only[@]}"; do
    found=""
    for i in "${!ids[@]}"; do [ "${ids[i]}" = "$want" ] && found=$i; done
    [ -n "$found" ] || { echo "no mutant $want in $list_file (--list lists them)" >&2; exit 2; }
    selected+=("$found")
  done
fi

# mutate check|apply FILE FIND REPLACE: how often FIND occurs in FILE (check), or FILE with its
# one FIND replaced (apply, which refuses unless it occurs exactly once). Bytes, not text.
mutate() {
  python3 - "$@" <<'EOF'
import os, sys
mode, path, find, replace = sys.argv[1:5]
enc = lambda s: os.fsencode(s)
with open(path, "rb") as f:
    data = f.read()
count = data.count(enc(find))
if mode == "check":
    print(count)
    sys.exit(0)
if count != 1:
    sys.exit(f"{path}: the text to replace occurs {count} times, not once")
with open(path, "wb") as f:
    f.write(data.replace(enc(find), enc(replace), 1))
EOF
}

occurrences() {  # occurrences INDEX: how often the mutant's text is in its file ("missing" file)
  local i=$1
  if [ -f "${files[i]}" ]; then mutate check "${files[i]}" "${finds[i]}" "${replaces[i]}"; else echo missing; fi
}

if [ "$list_only" -eq 1 ]; then
  status=0
  for i in "${selected[@]}"; do
    count=$(occurrences "$i")
    note=""
    [ "$count" = 1 ] || { note="  [STALE: text found $count times]"; status=1; }
    printf '%-32s %-46s %s%s\n' "${ids[i]}" "${files[i]}" "${whats[i]}" "$note"
  done
  exit "$status"
fi

# ---- the run -------------------------------------------------------------------------------
work=$(mktemp -d)
logs="$build_dir/mutants"
mutated=""  # the file holding a mutant right now; its original is $work/original
xvfb_pid=""
declare -A before=()  # checksum of every listed source file before the run

restore() {
  if [ -n "$mutated" ]; then
    cp "$work/original" "$mutated" && mutated=""
  fi
}
cleanup() {
  restore
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "interrupted; restoring ${mutated:-nothing}" >&2; exit 130' INT TERM

mapfile -t listed_files < <(printf '%s\n' "${files[@]}" | sort -u)
for f in "${listed_files[@]}"; do
  [ -f "$f" ] && before[$f]=$(cksum <"$f")
done
# When the listed files match the last commit before the run, they must match it after it.
git_clean=0
git rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
  git diff --quiet -- "${listed_files[@]}" && git_clean=1

if [ "$with_display" -eq 1 ]; then
  kerbview_start_xvfb "$work" || { echo "Xvfb did not start" >&2; exit 1; }
  xvfb_pid=$kerbview_xvfb_pid
else
  unset DISPLAY WAYLAND_DISPLAY
fi

launcher=()
command -v ccache >/dev/null 2>&1 &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  "${launcher[@]}" >"$work/configure.log" 2>&1 || {
  cat "$work/configure.log"
  exit 1
}
mkdir -p "$logs"
jobs=$(kerbview_jobs)
test_regex="^($(
  IFS='|'
  echo "${test_targets[*]}"
))\$"

build() {  # build LOG TARGET...: builds the targets, output appended to LOG
  local log=$1
  shift
  cmake --build "$build_dir" -j "$jobs" --target "$@" >>"$log" 2>&1
}
# Runs the test programs one at a time; prints the ctest names of those that failed, "(timeout)"
# after each that ran out of time. Fails when one failed.
run_tests() {
  local log=$1
  (cd "$build_dir" && ctest -R "$test_regex" --timeout "$timeout" --output-on-failure -j 1) \
    >>"$log" 2>&1
  local status=$?
  awk '/^The following tests FAILED:/ {on = 1; next}
       on && match($0, /^[[:space:]]*[0-9]+ - [A-Za-z0-9_]+ \(/) {
         name = $3; why = substr($0, RSTART + RLENGTH); sub(/\)$/, "", why)
         print name (why == "Failed" ? "" : " (" tolower(why) ")")
       }' "$log"
  return "$status"
}
# Whether the log says that every test program ran and passed.
all_passed() {
  grep -q "100% tests passed, 0 tests failed out of ${#test_targets[@]}\$" "$1"
}
# The first failing test cases in a log, for the details below the table.
failed_cases() {
  grep -o '^\[  FAILED  \] [A-Za-z0-9_/.]*' "$1" | awk '$4 ~ /\./ && !seen[$4]++ {print $4}' |
    head -n 3 | paste -sd ' ' -
}
seconds_since() { echo $(($(date +%s) - $1)); }

echo "Mutation run: ${#selected[@]} mutants from $list_file in $build_dir/"
echo "Test programs: ${test_targets[*]} (time limit ${timeout} s each)"
started=$(date +%s)
log="$logs/baseline.log"
: >"$log"
if ! build "$log" "${libraries[@]}" "${test_targets[@]}"; then
  tail -n 40 "$log"
  echo "The unmutated tree does not build; nothing to measure." >&2
  exit 1
fi
if ! run_tests "$log" >/dev/null || ! all_passed "$log"; then
  grep -A20 'tests failed out of' "$log"
  echo "The unmutated tree fails its tests; nothing to measure (log: $log)." >&2
  exit 1
fi
echo "Unmutated tree: built and passed in $(seconds_since "$started") s"
echo

results=() times=() notes=() details=()
for i in "${selected[@]}"; do
  id=${ids[i]} file=${files[i]}
  t0=$(date +%s)
  log="$logs/$id.log"
  : >"$log"
  count=$(occurrences "$i")
  if [ "$count" != 1 ]; then
    results[i]=stale notes[i]="text found $count times in $file" times[i]=0
    printf '%-32s %s\n' "$id" "${results[i]}"
    continue
  fi
  cp "$file" "$work/original"
  mutated=$file
  mutate apply "$file" "${finds[i]}" "${replaces[i]}" >>"$log" 2>&1 || {
    restore
    results[i]=stale notes[i]="could not apply (log: $log)" times[i]=0
    printf '%-32s %s\n' "$id" "${results[i]}"
    continue
  }
  if ! build "$log" "${libraries[@]}"; then
    results[i]=invalid notes[i]="the libraries do not build"
  elif ! build "$log" "${test_targets[@]}"; then
    results[i]=killed notes[i]="a test program no longer compiles"
  elif failed=$(run_tests "$log") && all_passed "$log"; then
    results[i]=survived notes[i]=""
  else
    results[i]=killed notes[i]=$(echo "$failed" | paste -sd ',' - | sed 's/,/, /g')
    details[i]=$(failed_cases "$log")
  fi
  restore
  if [ "$(cksum <"$file")" != "${before[$file]}" ]; then
    echo "$file was not restored; stopping" >&2
    exit 1
  fi
  times[i]=$(seconds_since "$t0")
  printf '%-32s %-9s %4s s  %s\n' "$id" "${results[i]}" "${times[i]}" "${notes[i]}"
done

# ---- the table -----------------------------------------------------------------------------
echo
printf '%-32s %-9s %6s  %s\n' MUTANT RESULT TIME "KILLED BY / NOTE"
killed=0 valid=0 invalid=0 stale=0 survivors=()
for i in "${selected[@]}"; do
  printf '%-32s %-9s %4s s  %s\n' "${ids[i]}" "${results[i]}" "${times[i]}" "${notes[i]}"
  case ${results[i]} in
    killed) killed=$((killed + 1)) valid=$((valid + 1)) ;;
    survived) valid=$((valid + 1)) survivors+=("$i") ;;
    invalid) invalid=$((invalid + 1)) ;;
    stale) stale=$((stale + 1)) ;;
  esac
done
echo
echo "Failing test cases (first three):"
for i in "${selected[@]}"; do
  [ -n "${details[i]:-}" ] && printf '  %-30s %s\n' "${ids[i]}" "${details[i]}"
done
if [ ${#survivors[@]} -gt 0 ]; then
  echo
  echo "Survived:"
  for i in "${survivors[@]}"; do printf '  %-30s %s: %s\n' "${ids[i]}" "${files[i]}" "${whats[i]}"; done
fi
echo
summary="$killed of $valid killed"
[ "$invalid" -eq 0 ] || summary+=", $invalid not a valid mutant"
[ "$stale" -eq 0 ] || summary+=", $stale not found in the source (list out of date)"
echo "$summary ($(seconds_since "$started") s in all)"

status=0
[ "$stale" -eq 0 ] || status=1
for f in "${listed_files[@]}"; do
  if [ -n "${before[$f]:-}" ] && [ "$(cksum <"$f")" != "${before[$f]}" ]; then
    echo "$f differs from before the run" >&2
    status=1
  fi
done
if [ "$git_clean" -eq 1 ]; then
  if git diff --quiet -- "${listed_files[@]}"; then
    echo "No mutated file left behind (git diff --quiet)."
  else
    git diff --stat -- "${listed_files[@]}" >&2
    status=1
  fi
fi
exit "$status"
