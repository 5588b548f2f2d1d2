# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Shared by run-tests.sh and run-demo.sh (sourced, not run): the Debian/Ubuntu packages the
# build, the tests and the demo need (the Windows cross build included: MinGW-w64, Wine and
# GoogleTest's sources), an installer that adds only the missing ones, and the build step both
# scripts use for build/.

KERBVIEW_PACKAGES=(
  build-essential cmake pkg-config qt6-base-dev libgl-dev
  libboost-dev libqrencode-dev chromium python3
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev
  xvfb x11-utils xauth
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core
  lintian dpkg-dev file desktop-file-utils appstream
  g++-mingw-w64-x86-64-posix wine64 googletest unzip
  zlib1g-dev libz-mingw-w64-dev
)

# Prints the packages of KERBVIEW_PACKAGES that are not installed, one a line.
kerbview_missing_packages() {
  local p
  for p in "${KERBVIEW_PACKAGES[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
      echo "$p"
    fi
  done
}

# Installs the missing packages with apt-get (through sudo when not root). Does nothing, and
# touches no package list, when everything is present.
kerbview_install_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "No apt-get here: install the equivalents of these packages by hand:" >&2
    echo "  ${KERBVIEW_PACKAGES[*]}" >&2
    return 0
  fi
  local missing=()
  mapfile -t missing < <(kerbview_missing_packages)
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Missing packages and no sudo to install them; as root run:" >&2
      echo "  apt-get install ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -q update &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
      apt-get -q -y --no-install-recommends -o Dpkg::Use-Pty=0 install "${missing[@]}"
}

kerbview_jobs() { nproc 2>/dev/null || echo 2; }

# Configures and builds one build folder: RelWithDebInfo, warnings as errors, extra cmake
# options after the folder name. With Makefiles the build keeps going past a failing target, so
# every test that can be built is built and a failure shows up as that test not running.
# KERBVIEW_TARGETS, when set, limits the build to those targets.
kerbview_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" ||
    return 1
  local keep_going=()
  grep -qx 'CMAKE_GENERATOR:INTERNAL=Unix Makefiles' "$dir/CMakeCache.txt" && keep_going=(-- -k)
  cmake --build "$dir" -j "$(kerbview_jobs)" ${KERBVIEW_TARGETS:+--target $KERBVIEW_TARGETS} \
    "${keep_going[@]}"
}

# Starts Xvfb on a free display (the server picks it and reports it through -displayfd), keeps
# its files in the folder $1, exports DISPLAY and sets kerbview_xvfb_pid. Qt then uses its X11
# platform there; a test that wants the offscreen platform sets QT_QPA_PLATFORM itself.
kerbview_start_xvfb() {
  local work=$1 _
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  kerbview_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$kerbview_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$work/display" ]; then
    cat "$work/xvfb.log" >&2
    return 1
  fi
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
