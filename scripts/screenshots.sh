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
#   scripts/screenshots.sh [--build-dir DIR] [--windows-dir DIR] [--seconds N] [--out DIR]
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
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) dir=$2; shift 2 ;;
    --windows-dir) windows_dir=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [--windows-dir DIR] [--seconds N] [--out DIR]" >&2; exit 2 ;;
  esac
done
for program in kerbview sim-standin; do
  if [ ! -x "$dir/$program" ]; then
    echo "No $dir/$program: build it first (./scripts/run-tests.sh, or" \
      "cmake --build $dir --target kerbview sim-standin)." >&2
    exit 1
  fi
done
browser=/usr/bin/chromium
[ -x "$browser" ] || { echo "No $browser (Debian's package chromium)." >&2; exit 1; }
[ "$seconds" -ge 10 ] || { echo "--seconds must be 10 or more." >&2; exit 2; }
windows=0
if [ -f "$windows_dir/kerbview.exe" ] && [ -f "$windows_dir/sim-standin-win32.exe" ]; then
  windows=1
else
  echo "No $windows_dir/kerbview.exe and sim-standin-win32.exe: no picture of the Windows program."
fi

perf_work=$(mktemp -d)
trap 'perf_stop_all; rm -rf "$perf_work"' EXIT
trap 'exit 130' INT TERM

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

# Headless Chromium, driven over its DevTools pipe: the picture is taken once the page is
# connected, holds the whole panel with its pictures and fonts, and has faded in (a fixed wait
# sometimes caught the panel still dimmed).
python3 - "$browser" "$perf_work/browser" "http://127.0.0.1:$web/" "$perf_work/dashboard.png" \
  2>"$perf_work/browser.log" 7>&- <<'PY' || true
import base64, json, os, subprocess, sys, time

browser, profile, url, out = sys.argv[1:5]
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
try:
    target = call("Target.createTarget", {"url": "about:blank"})["targetId"]
    page = call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
    call("Emulation.setDeviceMetricsOverride",
         {"width": 915, "height": 412, "deviceScaleFactor": 2, "mobile": False}, page)
    call("Page.navigate", {"url": url}, page)
    deadline = time.time() + 30
    while call("Runtime.evaluate", {"expression": ready, "returnByValue": True},
               page)["result"].get("value") is not True:
        if time.time() > deadline:
            sys.exit("the dashboard showed no connected panel within 30 s")
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

status=0
pictures=(panel/initial.png panel/resized.png dashboard.png)
[ "$windows" -eq 1 ] && pictures+=(windows/initial.png)
for picture in "${pictures[@]}"; do
  if [ ! -s "$perf_work/$picture" ]; then
    echo "No $picture was taken." >&2
    status=1
  fi
done
if [ "$status" -ne 0 ]; then
  cat "$perf_work/panel/out.log" "$perf_work/web/out.log" "$perf_work/browser.log" >&2
  [ "$windows" -eq 1 ] && cat "$perf_work/windows/out.log" >&2
  exit 1
fi
mkdir -p "$out"
cp "$perf_work/panel/initial.png" "$out/panel-initial.png"
cp "$perf_work/panel/resized.png" "$out/panel-resized.png"
cp "$perf_work/dashboard.png" "$out/dashboard-phone.png"
echo "Wrote $out/panel-initial.png, $out/panel-resized.png and $out/dashboard-phone.png."
if [ "$windows" -eq 1 ]; then
  cp "$perf_work/windows/initial.png" "$out/panel-windows.png"
  echo "Wrote $out/panel-windows.png."
fi
