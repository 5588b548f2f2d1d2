#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test command. Installs what is missing (apt-get), then:
#   1. build-mingw/ the Windows cross build (MinGW-w64): the plain libraries, the Win32 layer
#                   and front end (kerbview.exe), the Windows stand-in simulator, the menu
#                   command tool and their tests, run under Wine; the release zip with its
#                   SHA-256 sum, and a check that kerbview.exe needs only Windows' own DLLs;
#                   first, as build/ takes the Windows programs from here
#   2. build/       RelWithDebInfo, warnings as errors; every test, under an Xvfb display that
#                   this script starts and stops itself
#   3. build-asan/  AddressSanitizer + UndefinedBehaviorSanitizer, without the Qt front end;
#                   the Qt-free unit tests
#   4. fuzz         build-fuzz/ with clang; 15 s of every libFuzzer target
#   5. soak         one minute of scripts/soak.sh on the programs of build/
#   6. package      the Debian package from build/ (cpack), lintian, the unpacked program
#   7. format       clang-format check of the sources (scripts/check-format.sh)
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
wineserver=/usr/lib/wine/wineserver
wine_started=""
cleanup() {
  # Ends the Wine server of this run's prefix and every Wine program still running in it.
  [ -n "$wine_started" ] && "$wineserver" -k 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_xvfb() {
  kerbview_start_xvfb "$work" || return 1
  xvfb_pid=$kerbview_xvfb_pid
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

# ---- Windows cross build -------------------------------------------------------------------
# Wine runs in a prefix of this run's own, quietly, without installing Mono or Gecko, with one
# Wine server kept for the whole run (a test program then starts in a fraction of a second),
# on this script's Xvfb: the Win32 tests open windows there.
# The display has no window manager: Wine's windows are unmanaged there (X11 Driver, Managed=N),
# or Wine would take each one down after waiting 2 s for a manager to show it.
start_wine() {
  export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX" && "$wineserver" -p || return 1
  wine_started=1
  { /usr/lib/wine/wine64 wineboot --init &&
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f; } \
    >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log"
    return 1
  }
}

# The DLLs a Windows program imports that are not part of Windows itself, one a line (none for
# a program linked statically against the compiler's runtime).
foreign_dlls() {
  x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {print $3}' |
    grep -viE '^(kernel32|user32|gdi32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|uxtheme|dwmapi|shcore|windowscodecs|ws2_32|mswsock|iphlpapi|winmm|version|imm32|bcrypt|crypt32)\.dll$'
}

# The release zip made by CPack, its sum checked, and what it holds.
package_windows() {
  local name zip
  name=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-mingw/CMakeCache.txt)
  zip="kerbview-$name-windows-x64.zip"
  rm -f build-mingw/kerbview-*-windows-x64.zip*
  (cd build-mingw && cpack -G ZIP) >"$work/cpack-zip.log" 2>&1 || {
    cat "$work/cpack-zip.log"
    return 1
  }
  (cd build-mingw && sha256sum -c "$zip.sha256") || return 1
  local listed status=0 file
  listed=$(unzip -Z1 "build-mingw/$zip") || return 1
  for file in kerbview.exe README.txt LICENSE.txt; do
    grep -qx "kerbview-$name-windows-x64/$file" <<<"$listed" || {
      echo "$zip lacks $file"
      status=1
    }
  done
  echo "build-mingw/$zip: $(stat -c %s "build-mingw/$zip") bytes, $(wc -l <<<"$listed") files"
  return "$status"
}

stage_mingw() {
  local built=0 status=0
  kerbview_build build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake || built=$?
  [ -f build-mingw/CTestTestfile.cmake ] || return 1
  if [ -f build-mingw/kerbview.exe ]; then
    local foreign
    foreign=$(foreign_dlls build-mingw/kerbview.exe)
    if [ -n "$foreign" ]; then
      echo "kerbview.exe needs DLLs that are not Windows' own: $foreign"
      status=1
    fi
    package_windows || status=1
  else
    echo "no build-mingw/kerbview.exe"
    status=1
  fi
  start_wine || return 1
  run_ctest build-mingw build-mingw && [ "$built" -eq 0 ] && [ "$status" -eq 0 ]
}
# ---- end of Windows cross build -------------------------------------------------------------

# A build that fails still runs the tests that were built; the stage fails all the same. The
# Linux build's tests beside Wine take the Windows programs of build-mingw/. The benchmark
# programs are built too (not run), so that they keep compiling with the code they measure.
stage_main() {
  local built=0
  kerbview_build build -DCMAKE_INSTALL_PREFIX=/usr -DKERBVIEW_BUILD_BENCH=ON \
    -DKERBVIEW_WIN32_STANDIN="$PWD/build-mingw/sim-standin-win32.exe" \
    -DKERBVIEW_WIN32_PROGRAM="$PWD/build-mingw/kerbview.exe" \
    -DKERBVIEW_WIN32_MENU_COMMAND="$PWD/build-mingw/send-menu-command.exe" || built=$?
  [ -f build/CTestTestfile.cmake ] || return 1
  [ -n "$wine_started" ] || [ ! -f build-mingw/sim-standin-win32.exe ] || start_wine || return 1
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

# ---- Fuzz runs -----------------------------------------------------------------------------
# A clang build in build-fuzz/ with AddressSanitizer and UndefinedBehaviorSanitizer, then a
# bounded run of every libFuzzer target from its committed seeds; new inputs stay in the build
# folder. The long run is scripts/fuzz-long.sh.
stage_fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKERBVIEW_BUILD_FUZZ=ON -DKERBVIEW_SANITIZE=ON -DKERBVIEW_BUILD_GUI=OFF \
    -DKERBVIEW_BUILD_TESTS=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null || return 1
  cmake --build build-fuzz -j "$(kerbview_jobs)" \
    --target receive_fuzz profile_fuzz number_fuzz recording_fuzz || return 1
  local t max_len status=0
  for t in receive profile number recording; do
    case $t in
      receive) max_len=70000 ;; profile) max_len=4096 ;; recording) max_len=8192 ;; *) max_len=256 ;;
    esac
    mkdir -p "build-fuzz/$t-work"
    if UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "build-fuzz/${t}_fuzz" \
      -max_total_time=15 -max_len="$max_len" -rss_limit_mb=1024 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/${t}_fuzz-" "build-fuzz/$t-work" "fuzz/corpus/$t" \
      >"$work/$t.fuzz" 2>&1; then
      echo "${t}_fuzz: $(awk '/number_of_executed_units/ {print $NF}' "$work/$t.fuzz") inputs, no findings"
    else
      tail -n 60 "$work/$t.fuzz"
      echo "${t}_fuzz: FINDING (input kept as build-fuzz/${t}_fuzz-*)"
      status=1
    fi
  done
  return "$status"
}
# ---- end of fuzz runs -----------------------------------------------------------------------

# One minute of the soak test on the programs of build/: server and client at a 10 ms scan while
# the stand-in's window and the client's server come and go (scripts/soak.sh; 10 minutes
# without --short).
stage_soak() {
  [ -x build/kerbview ] && [ -x build/sim-standin ] || return 1
  bash scripts/soak.sh --short --build-dir build
}

# The Debian package of the programs of build/: made by CPack, checked by lintian (any error
# fails; warnings are listed), its desktop entry and metainfo validated, unpacked into a
# scratch folder, and the unpacked program asked for its version, which must be the package's.
# Qt's HTTP and WebSocket libraries must not be among its dependencies.
stage_package() {
  [ -x build/kerbview ] || return 1
  rm -f build/kerbview_*.deb
  (cd build && cpack -G DEB) >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    return 1
  }
  local deb
  deb=$(echo build/kerbview_*_*.deb)
  [ -f "$deb" ] || return 1
  echo "$deb: Depends: $(dpkg-deb -f "$deb" Depends)"
  local status=0
  # The dashboard is served by the program's own server, not by Qt's HTTP or WebSocket modules.
  if dpkg-deb -f "$deb" Depends | grep -E -q 'libqt6(httpserver|websockets)'; then
    echo "the package depends on Qt's HTTP or WebSocket library"
    status=1
  fi
  lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' |
    tee "$work/lintian.log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  echo "lintian: $(grep -c '^E:' "$work/lintian.log") errors, $(grep -c '^W:' "$work/lintian.log") warnings"
  local root="$work/unpacked" id=org.kerbview.Kerbview
  dpkg-deb -x "$deb" "$root" || return 1
  desktop-file-validate "$root/usr/share/applications/$id.desktop" || status=1
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || status=1
  local icon
  for icon in scalable/apps/$id.svg 48x48/apps/$id.png 256x256/apps/$id.png; do
    [ -s "$root/usr/share/icons/hicolor/$icon" ] || { echo "missing icon $icon"; status=1; }
  done
  local version
  version=$("$root/usr/bin/kerbview" --version | head -n 1)
  echo "unpacked program: $version"
  [ "$version" = "kerbview $(dpkg-deb -f "$deb" Version)" ] || status=1
  return "$status"
}

stage_format() {
  bash scripts/check-format.sh
}

if ! start_xvfb; then
  echo "Could not start Xvfb; tests that need a display will fail." >&2
  results+=("Xvfb: FAILED")
  failed=1
fi
stage "build-mingw/ (Windows cross build, tests under Wine)" stage_mingw
stage "build/ (all tests)" stage_main
stage "build-asan/ (unit tests, ASan+UBSan)" stage_asan
stage "fuzz" stage_fuzz
stage "soak (1 minute)" stage_soak
stage "package (.deb, lintian)" stage_package
stage "clang-format" stage_format

echo
echo "==== Summary ===="
for r in "${results[@]}"; do echo "$r"; done
for name in build-mingw build build-asan; do
  if [ -s "$work/$name.summary" ]; then
    echo
    echo "ctest in $name/:"
    cat "$work/$name.summary"
  fi
done
exit "$failed"
