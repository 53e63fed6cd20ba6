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
grep -qx "Information" "$work/boxes" 2>/dev/null || fail "no box after the run"
[ -s customers.qvo.txt ] || fail "no result file"
# The main window's title names the child window in front: the result view, with the run's result.
[[ "$(xdotool getwindowname "$main")" == *"[The result]"* ]] || fail "the result view is not in front"

# File > Extract .DBF file: offered only once the result view shows the run's result.
keys_to "$main" alt+f
sleep 0.3
xdotool key e
answer_boxes 4
[ -n "$shots" ] && import -display "$DISPLAY" -window root "$shots/e2e-dbf.png"
[ -s customers.dbf ] || fail "no dBase table"

# Log > View, then File > Exit.
keys_to "$main" alt+f Right Right Right
sleep 0.3
xdotool key Return
sleep 0.5
[ -n "$shots" ] && import -display "$DISPLAY" -window root "$shots/e2e-log.png"
[[ "$(xdotool getwindowname "$main")" == *"[Previous jobs]"* ]] || fail "Log > View shows no previous jobs"
keys_to "$main" alt+f
sleep 0.3
xdotool key x
answer_boxes 2
status=0
for _ in $(seq 100); do kill -0 "$prog" 2>/dev/null || break; sleep 0.1; done
wait "$prog" || status=$?
[ "$status" -eq 1 ] || fail "File > Exit ended with status $status"
grep -q "customers.txt" "$work/prog/QVR32.LOG" || fail "no job log line: $(cat "$work/prog/QVR32.LOG" 2>/dev/null)"

cp "$work/boxes" "$work/boxes.first"

# A click on Stop during a long sorted run: the run ends at once and the former result stays. The run's
# end is when the program stops using the processor.
awk 'BEGIN { for (i = 0; i < 6000000; i++) printf "C%07d Name%d City%d 2020-01-01 %d.%02d\r\n",
  (i * 7919) % 6000000, i % 977, i % 113, i % 9999, i % 100 }' >big.txt
echo former >big.qvo.txt
"$work/prog/quarvel" big.txt >>"$work/stdout" 2>>"$work/stderr" &
prog=$!
pids+=($prog)
main=$(window_named "Quarvel.*" 15) || fail "no main window for the long run"
dialog=$(window_named "Opening input lile - Filling the input view" 10) || fail "no filling dialog"
keys_to "$dialog" Return
sleep 1
keys_to "$main" alt+t F2
: >"$work/boxes"
for question in overwrite keep_view; do
  id=$(window_named Confirm 5) || fail "no question before the long run ($question)"
  keys_to "$id" Return
  [ $question = overwrite ] && sleep 0.3
done
cpu() { awk '{ print $14 + $15 }' "/proc/$prog/stat"; }
sleep 0.2
# Stop stands at this place of the General data window, which fills the main window.
xdotool mousemove --window "$main" 658 482 click 1
clicked=$(date +%s%N)
last=$(cpu) ended=$clicked still=0
while [ $still -lt 10 ]; do
  sleep 0.05
  now=$(cpu)
  if [ "$now" != "$last" ]; then last=$now ended=$(date +%s%N) still=0; else still=$((still + 1)); fi
done
took=$(((ended - clicked) / 1000000))
[ "$(cat big.qvo.txt)" = former ] || fail "the stopped run replaced the former result"
box=$(window_named "(Information|Confirm|Warning|Error|Quarvel - Multi-colums text file extraction)" 1) &&
  fail "a box after Stop: $(xdotool getwindowname "$box")"
[ "$took" -lt 1000 ] || fail "the run went on for $took ms after the click on Stop"
kill -TERM "$prog"
wait "$prog" || true
echo "window run passed: boxes answered $(tr '\n' ' ' <"$work/boxes.first"); the long run ended $took ms after the click on Stop"
