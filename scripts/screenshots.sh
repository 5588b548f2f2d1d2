#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the committed screenshots again, from the programs of a build folder (build/ unless
# --build-dir names another; it builds nothing):
#   docs/panel-initial.png    the panel at its initial size (README, AppStream metainfo)
#   docs/panel-resized.png    the panel after a resize (README)
#   docs/dashboard-phone.png  the web dashboard in a phone's browser held sideways: 915 x 412
#                             CSS pixels at twice the density (README)
#   docs/panel-windows.png    the Windows program's panel under Wine, beside the Windows stand-in
#                             (README), when the MinGW build folder (--windows-dir, build-mingw/
#                             by default) holds kerbview.exe and sim-standin-win32.exe
# Under an Xvfb of its own it starts the stand-in simulator, as the demo does, and two copies of
# Kerbview beside it, each in a folder of its own with the default settings (Spanish, metric):
# one saves the panel with --screenshot, the other serves the web dashboard, which headless
# Chromium photographs. The stand-in is paused 3 s before the pictures, so that all three show
# one moment of the session: by default 130 s in, on lap 3, when Kerbview has watched two laps
# from their start (the lap times and the fuel used on the last lap show).
# The Windows program runs at the same time in a Wine prefix of the script's own, reading the
# Windows stand-in, which runs the same session and is paused at the same moment.
# With --laps it takes the pictures of the Laps feature instead:
#   docs/laps-qt.png          the Laps window, with the race settings dialog over the panel
#   docs/laps-windows.png     the same of the Windows program under Wine (when the MinGW build
#                             folder holds kerbview.exe and send-menu-command.exe)
#   docs/dashboard-laps.png   the web dashboard's Laps view in a tablet's browser: 1024 x 768 CSS
#                             pixels at twice the density (README)
# Each program replays the committed stint (tests/record/data/stint.kvrec) to its end at eight
# times its speed, in English, for a race of 30 laps with a reserve lap and a 60 l tank, so that
# every fuel figure shows. The Linux program runs under openbox, and its menu items are chosen
# with xdotool's keys; the Windows program's with tools/menu_command. xdotool, openbox, scrot and
# xwininfo are installed when missing.
#   scripts/screenshots.sh [--build-dir DIR] [--windows-dir DIR] [--seconds N] [--out DIR]
#                          [--laps]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=lib/common.sh
source scripts/lib/common.sh
# shellcheck source=../bench/process_lib.sh
source bench/process_lib.sh

dir=build
windows_dir=build-mingw
seconds=130
out=docs
laps=0
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) dir=$2; shift 2 ;;
    --windows-dir) windows_dir=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --laps) laps=1; shift ;;
    *)
      echo "usage: $0 [--build-dir DIR] [--windows-dir DIR] [--seconds N] [--out DIR] [--laps]" >&2
      exit 2
      ;;
  esac
done
programs=(kerbview sim-standin)
[ "$laps" -eq 1 ] && programs=(kerbview)
for program in "${programs[@]}"; do
  if [ ! -x "$dir/$program" ]; then
    echo "No $dir/$program: build it first (./scripts/run-tests.sh, or" \
      "cmake --build $dir --target ${programs[*]})." >&2
    exit 1
  fi
done
browser=/usr/bin/chromium
[ -x "$browser" ] || { echo "No $browser (Debian's package chromium)." >&2; exit 1; }
[ "$seconds" -ge 10 ] || { echo "--seconds must be 10 or more." >&2; exit 2; }
windows_programs=(kerbview.exe sim-standin-win32.exe)
[ "$laps" -eq 1 ] && windows_programs=(kerbview.exe send-menu-command.exe)
windows=1
for program in "${windows_programs[@]}"; do
  [ -f "$windows_dir/$program" ] || windows=0
done
if [ "$windows" -eq 0 ]; then
  echo "No $windows_dir/${windows_programs[0]} and ${windows_programs[1]}: no picture of the" \
    "Windows program."
fi
if [ "$laps" -eq 1 ]; then
  # shellcheck disable=SC2034  # the list kerbview_install_packages reads
  KERBVIEW_PACKAGES=(xdotool openbox scrot x11-utils)
  kerbview_install_packages
fi

# Photographs the dashboard at URL $1 into $2, $3 x $4 CSS pixels at twice the density, showing
# view $5: "panel" or "laps" (its Laps button chosen). Headless Chromium, driven over its DevTools
# pipe: the picture is taken once the page is connected, holds the whole panel with its pictures
# and fonts, and has faded in (a fixed wait sometimes caught the panel still dimmed); for the
# Laps view, once its table and plots are drawn.
photograph_dashboard() {
  python3 - "$browser" "$perf_work/browser" "$@" 2>>"$perf_work/browser.log" 7>&- <<'PY' || true
import base64, json, os, subprocess, sys, time

browser, profile, url, out, width, height, view = sys.argv[1:8]
to_browser, from_browser = os.pipe(), os.pipe()


def pipe_ends():
    # Chromium reads commands on descriptor 3 and answers on 4; dup2 makes them inheritable.
    read, write = os.dup(to_browser[0]), os.dup(from_browser[1])
    os.dup2(read, 3)
    os.dup2(write, 4)


chromium = subprocess.Popen(
    [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
     "--disable-background-networking", "--disable-component-update", "--disable-sync",
     "--user-data-dir=" + profile, "--remote-debugging-pipe", "--hide-scrollbars", "about:blank"],
    preexec_fn=pipe_ends, close_fds=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
os.close(to_browser[0])
os.close(from_browser[1])
commands = os.fdopen(to_browser[1], "wb", buffering=0)
answers = os.fdopen(from_browser[0], "rb", buffering=0)
pending = b""
last_id = 0


def call(method, params=None, session=None):
    global last_id, pending
    last_id += 1
    message = {"id": last_id, "method": method, "params": params or {}}
    if session:
        message["sessionId"] = session
    commands.write(json.dumps(message).encode() + b"\0")
    while True:
        while b"\0" not in pending:
            chunk = answers.read(65536)
            if not chunk:
                sys.exit("the browser closed its pipe")
            pending += chunk
        raw, pending = pending.split(b"\0", 1)
        answer = json.loads(raw)
        if answer.get("id") == last_id:
            if "error" in answer:
                sys.exit(f"{method}: {answer['error']}")
            return answer["result"]


ready = """(() => {
  const panel = document.getElementById('panel');
  return !!panel && panel.dataset.rev !== undefined &&
    !document.body.classList.contains('offline') && getComputedStyle(panel).opacity === '1' &&
    document.fonts.status === 'loaded' && [...document.images].every(i => i.complete);
})()"""
# The Laps view: its button chosen once the laps came, then its table and figures drawn.
laps_ready = """(() => {
  const laps = document.getElementById('laps');
  if (laps.dataset.rev === undefined) return false;
  if (laps.hidden) document.getElementById('lapsTab').click();
  return !laps.hidden && document.querySelector('#lapTable tbody tr') !== null &&
    document.querySelector('#plots svg, #plots canvas') !== null;
})()"""
try:
    target = call("Target.createTarget", {"url": "about:blank"})["targetId"]
    page = call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
    call("Emulation.setDeviceMetricsOverride",
         {"width": int(width), "height": int(height), "deviceScaleFactor": 2, "mobile": False}, page)
    call("Page.navigate", {"url": url}, page)
    deadline = time.time() + 30
    while call("Runtime.evaluate", {"expression": ready, "returnByValue": True},
               page)["result"].get("value") is not True:
        if time.time() > deadline:
            sys.exit("the dashboard showed no connected panel within 30 s")
        time.sleep(0.2)
    while view == "laps" and call("Runtime.evaluate", {"expression": laps_ready,
                                                       "returnByValue": True},
                                  page)["result"].get("value") is not True:
        if time.time() > deadline:
            sys.exit("the dashboard showed no laps within 30 s")
        time.sleep(0.2)
    time.sleep(0.5)
    picture = call("Page.captureScreenshot", {"format": "png"}, page)["data"]
    with open(out, "wb") as file:
        file.write(base64.b64decode(picture))
    try:
        call("Browser.close")
    except SystemExit:
        pass  # it may close its pipe before it answers
finally:
    try:
        chromium.wait(timeout=10)
    except subprocess.TimeoutExpired:
        chromium.kill()
        chromium.wait()
PY
}

# The place and size of window $1 on the screen with its window manager's frame, if it has one
# (Wine's unmanaged windows draw their own): "X Y WIDTH HEIGHT".
window_box() {
  local left=0 right=0 top=0 bottom=0 extents
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ,)
  [ -n "$extents" ] && read -r left right top bottom <<<"$extents"
  xwininfo -id "$1" | awk -v l="$left" -v r="$right" -v t="$top" -v b="$bottom" '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF}
    END {print x - l, y - t, w + l + r, h + t + b}'
}

# Saves into $1 the part of the screen that holds the windows $2...
photograph_windows() {
  local file=$1 left=100000 top=100000 right=0 bottom=0 id x y w h
  shift
  for id in "$@"; do
    read -r x y w h < <(window_box "$id")
    ((x < left)) && left=$x
    ((y < top)) && top=$y
    ((x + w > right)) && right=$((x + w))
    ((y + h > bottom)) && bottom=$((y + h))
  done
  scrot --overwrite --autoselect "$left,$top,$((right - left)),$((bottom - top))" "$file"
}

# The shown top-level window titled exactly $1 of process $2, waiting up to 20 s for it.
shown_window() {
  timeout 20 xdotool search --sync --all --onlyvisible --pid "$2" --name "^$1\$" | head -n 1
}

# Chooses an item of the Connection menu (the fourth) of the Linux program's window $1 from the
# keyboard, as a user without a mouse would: Alt, to the menu, open it, then the keys $2... from
# its first item. A pause after each key lets the menu follow.
choose_connection_item() {
  local key
  xdotool windowactivate --sync "$1"
  sleep 0.3
  for key in alt Right Right Right Down "${@:2}" Return; do
    xdotool key "$key"
    sleep 0.3
  done
}

# Says which of the pictures (paths under $perf_work) were not taken, and then shows the logs
# given; fails when one is missing.
all_taken() {  # all_taken PICTURE... -- LOG...
  local status=0
  while [ "$1" != -- ]; do
    if [ ! -s "$perf_work/$1" ]; then
      echo "No $1 was taken." >&2
      status=1
    fi
    shift
  done
  shift
  [ "$status" -eq 0 ] || cat "$@" >&2
  return "$status"
}

# The laps pictures (--laps).
take_laps_pictures() {
  local recording=tests/record/data/stint.kvrec speed=8 web copy
  # The recording's five minutes at eight times their speed, and a margin.
  local replay_seconds=$((300 / speed + 5))
  web=$(perf_free_port)
  for copy in linux windows; do
    mkdir -p "$perf_work/$copy"
    cp "$recording" "$perf_work/$copy/stint.kvrec"
    printf '[Opcions]\r\nIdioma=English\r\n[Race]\r\nLength=30\r\nLengthUnit=Laps\r\nReserveLaps=1\r\nTankSize=60\r\n' \
      >"$perf_work/$copy/Kerbview.ini"
  done
  cp "$dir/kerbview" "$perf_work/linux/kerbview"
  printf '[Web]\r\nEnabled=True\r\nPort=%s\r\n' "$web" >>"$perf_work/linux/Kerbview.ini"

  perf_start_xvfb
  openbox >"$perf_work/openbox.log" 2>&1 7>&- &
  perf_pids+=("$!")
  # A window mapped while openbox starts may never show: wait for it to take the screen.
  local _
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  (cd "$perf_work/linux" && exec ./kerbview --replay stint.kvrec --replay-speed "$speed") \
    >"$perf_work/linux/out.log" 2>&1 7>&- &
  local linux=$! main started=$SECONDS
  perf_pids+=("$linux")
  main=$(shown_window Kerbview "$linux")
  [ -n "$main" ] || { cat "$perf_work/linux/out.log" >&2; return 1; }
  echo "Replaying the stint for $replay_seconds s..."
  # Wine's prefix is made meanwhile, so that none of its windows shows in the pictures.
  [ "$windows" -eq 1 ] && perf_start_wine
  sleep "$((replay_seconds - (SECONDS - started) > 0 ? replay_seconds - (SECONDS - started) : 0))"

  # The Laps window (the menu's next to last item) at the width it opens with, which shows every
  # column, as tall as the panel; then the race settings (its last), which open over the panel.
  local laps_window race width height
  choose_connection_item "$main" Up Up
  laps_window=$(shown_window Laps "$linux")
  [ -n "$laps_window" ] || { echo "No Laps window opened." >&2; return 1; }
  sleep 1
  width=$(xwininfo -id "$laps_window" | awk '/^ *Width:/ {print $NF}')
  height=$(xwininfo -id "$main" | awk '/^ *Height:/ {print $NF}')
  xdotool windowsize --sync "$laps_window" "$width" "$height"
  choose_connection_item "$main" Up
  race=$(shown_window "Race settings" "$linux")
  [ -n "$race" ] || { echo "No race settings dialog opened." >&2; return 1; }
  sleep 1
  photograph_windows "$perf_work/laps-qt.png" "$main" "$laps_window" "$race"
  photograph_dashboard "http://127.0.0.1:$web/" "$perf_work/dashboard-laps.png" 1024 768 laps
  perf_stop "$linux"
  perf_forget "$linux"

  if [ "$windows" -eq 1 ]; then
    cp "$windows_dir/kerbview.exe" "$windows_dir/send-menu-command.exe" "$perf_work/windows/"
    (cd "$perf_work/windows" && exec /usr/lib/wine/wine64 ./kerbview.exe --replay stint.kvrec \
      --replay-speed "$speed") >"$perf_work/windows/out.log" 2>&1 7>&- &
    perf_pids+=("$!")
    started=$SECONDS
    main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kerbview$' | head -n 1)
    [ -n "$main" ] || { cat "$perf_work/windows/out.log" >&2; return 1; }
    # Under Wine the replay has been seen to fall behind its clock: twice the time.
    echo "Replaying the stint under Wine for $((2 * replay_seconds)) s..."
    sleep "$((2 * replay_seconds - (SECONDS - started)))"
    # Connection -> Laps... and Race settings... (WM_COMMAND 40000 plus the items' places in
    # the menu catalogue, src/frontends/win32/menu_ids.h).
    (cd "$perf_work/windows" && exec /usr/lib/wine/wine64 ./send-menu-command.exe 40038 40039) \
      7>&-
    laps_window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Laps$' | head -n 1)
    race=$(timeout 20 xdotool search --sync --onlyvisible --name '^Race settings$' | head -n 1)
    sleep 1
    if [ -n "$laps_window" ] && [ -n "$race" ]; then
      photograph_windows "$perf_work/laps-windows.png" "$main" "$laps_window" "$race"
    fi
  fi

  local picture pictures=(laps-qt.png dashboard-laps.png) logs=(linux/out.log browser.log)
  [ "$windows" -eq 1 ] && pictures+=(laps-windows.png) && logs+=(windows/out.log)
  all_taken "${pictures[@]}" -- "${logs[@]/#/$perf_work/}" || return 1
  mkdir -p "$out"
  for picture in "${pictures[@]}"; do
    cp "$perf_work/$picture" "$out/$picture"
    echo "Wrote $out/$picture."
  done
}

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

if [ "$laps" -eq 1 ]; then
  take_laps_pictures
  exit
fi

perf_start_xvfb
perf_start_standin "$dir/sim-standin"
if [ "$windows" -eq 1 ]; then
  exec 8>&7  # the Linux stand-in's commands: it ends when its input closes
  perf_start_wine
  perf_start_standin /usr/lib/wine/wine64 "$windows_dir/sim-standin-win32.exe"
  mkdir -p "$perf_work/windows"
  cp "$windows_dir/kerbview.exe" "$perf_work/windows/"
  (cd "$perf_work/windows" && exec /usr/lib/wine/wine64 ./kerbview.exe --screenshot initial.png \
    resized.png "$((seconds * 1000))") >"$perf_work/windows/out.log" 2>&1 7>&- 8>&- &
  windows_panel=$!
  perf_pids+=("$windows_panel")
fi
web=$(perf_free_port)
for copy in panel web; do
  mkdir -p "$perf_work/$copy"
  cp "$dir/kerbview" "$perf_work/$copy/kerbview"
done
printf '[Web]\r\nEnabled=True\r\nPort=%s\r\n' "$web" >"$perf_work/web/Kerbview.ini"

# The panel copy saves its two pictures $seconds after its start, then ends.
(cd "$perf_work/panel" && exec ./kerbview --screenshot initial.png resized.png \
  "$((seconds * 1000))") >"$perf_work/panel/out.log" 2>&1 7>&- 8>&- &
panel=$!
perf_pids+=("$panel")
(cd "$perf_work/web" && exec ./kerbview) >"$perf_work/web/out.log" 2>&1 7>&- 8>&- &
perf_pids+=("$!")

echo "Running the session for $seconds s..."
sleep "$((seconds - 3))"
perf_standin pause
if [ "$windows" -eq 1 ]; then
  echo pause >&8
fi
if ! wait "$panel"; then
  echo "The panel copy of Kerbview failed:" >&2
  cat "$perf_work/panel/out.log" >&2
  exit 1
fi
perf_forget "$panel"
if [ "$windows" -eq 1 ]; then
  if ! wait "$windows_panel"; then
    echo "The Windows program failed:" >&2
    cat "$perf_work/windows/out.log" >&2
    exit 1
  fi
  perf_forget "$windows_panel"
fi

photograph_dashboard "http://127.0.0.1:$web/" "$perf_work/dashboard.png" 915 412 panel

pictures=(panel/initial.png panel/resized.png dashboard.png)
logs=(panel/out.log web/out.log browser.log)
[ "$windows" -eq 1 ] && pictures+=(windows/initial.png) && logs+=(windows/out.log)
all_taken "${pictures[@]}" -- "${logs[@]/#/$perf_work/}" || exit 1
mkdir -p "$out"
cp "$perf_work/panel/initial.png" "$out/panel-initial.png"
cp "$perf_work/panel/resized.png" "$out/panel-resized.png"
cp "$perf_work/dashboard.png" "$out/dashboard-phone.png"
echo "Wrote $out/panel-initial.png, $out/panel-resized.png and $out/dashboard-phone.png."
if [ "$windows" -eq 1 ]; then
  cp "$perf_work/windows/initial.png" "$out/panel-windows.png"
  echo "Wrote $out/panel-windows.png."
fi
