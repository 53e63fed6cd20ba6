#!/usr/bin/env bash
# The window program as a user meets it: started on a file under a virtual X display with a window
# manager, driven only by keys sent through the display (xdotool), every box answered with Return.
# File > Input with OK, F2, the boxes, the result, File > Extract .DBF, Log > View, File > Exit: the run's
# files and the job log must be there and the program must end with status 1.
# Usage: tests/e2e/window_run.sh BUILD_DIR [SCREENSHOT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
shots=${2:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "window run failed: $*" >&2
  [ -n "$shots" ] && import -display "$DISPLAY" -window root "$shots/e2e-failure.png" 2>/dev/null || true
  exit 1
}

# The program keeps its configuration and job log beside itself: a copy in a folder of its own.
mkdir -p "$work/prog" "$work/data"
cp "$build/quarvel" "$root/src/shell/QVR32.HLP" "$work/prog/"
cp "$root/examples/customers.txt" "$root/examples/customers.tab" "$work/data/"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

unset QT_QPA_PLATFORM
export LC_ALL=C.UTF-8
cd "$work/data"
"$work/prog/quarvel" customers.txt >"$work/stdout" 2>"$work/stderr" &
prog=$!
pids+=($prog)

# The window named exactly `name`, waited for at most `seconds`.
window_named() {
  local name=$1 seconds=${2:-10} id
  for _ in $(seq $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$prog" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
# Sends keys to the window with `id` as the focused window gets them.
keys_to() {
  local id=$1; shift
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers --delay 60 "$@"
}
# Answers every box that comes within `seconds` with Return; prints their captions.
answer_boxes() {
  local seconds=$1 id
  while id=$(window_named "(Information|Confirm|Warning|Error|Quarvel - Multi-colums text file extraction)" "$seconds"); do
    xdotool getwindowname "$id" >>"$work/boxes"
    keys_to "$id" Return
    sleep 0.3
    # A box that takes no key stays: the program froze under it.
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$id" && fail "a box took no key: $(xdotool getwindowname "$id")"
  done
  return 0
}

main=$(window_named "Quarvel.*" 15) || fail "no main window"
dialog=$(window_named "Opening input lile - Filling the input view" 10) || fail "no filling dialog"
keys_to "$dialog" Return
sleep 1
keys_to "$main" F2
answer_boxes 4
[ -n "$shots" ] && import -display "$DISPLAY" -window root "$shots/e2e-result.png"
grep -q "Extract file generated\|Information" "$work/boxes" 2>/dev/null || fail "no box after the run"
ls "$work/data"
