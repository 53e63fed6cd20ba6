#!/usr/bin/env bash
# Record types as a user meets them: the program started on a payment file under a virtual X display with
# a window manager, driven only by keys sent through the display (xdotool). Fields definition > Recall file
# reads the six tables as one layout set, F2 writes a result per type (the boxes answered with Return), the
# combo box shows the entries' table, and the results must hold every line, the batch number carried onto
# the entries. With SCREENSHOT_DIR the screen showing Fields definition is kept there
# (record-types-screen.png; docs/record-types.png is the main window cut from it).
# Usage: tests/e2e/record_types_run.sh BUILD_DIR [SCREENSHOT_DIR]
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
  echo "record types run failed: $*" >&2
  exit 1
}

mkdir -p "$work/prog" "$work/data"
cp "$build/quarvel" "$root/src/shell/QVR32.HLP" "$work/prog/"
# Three batches of entries between a file header and a file control, padded with 9s to ten lines a block;
# and the layout set made of the example's six tables.
python3 - "$work/data" "$root/examples/nacha" <<'PY'
import glob, random, sys
data, tables = sys.argv[1], sys.argv[2]
random.seed(3)
def rec(s):
    assert len(s) <= 94, s
    return s.ljust(94)
lines = [rec('101 091000019 123456789261207' + '1200A09410' + '1' + 'FIRST NATIONAL BANK'.ljust(23) +
             'QUARVEL PAYROLL INC'.ljust(23) + '00000000')]
for b in range(1, 4):
    lines.append(rec('5200' + 'QUARVEL PAYROLL'.ljust(16) + ' ' * 20 + '1234567890PPD' + 'PAYROLL'.ljust(10) +
                     'DEC 26261207   109100001' + f'{b:07d}'))
    debit = credit = 0
    n = random.randint(3, 5)
    for e in range(n):
        code, amount = random.choice(['22', '27']), random.randint(1000, 999999)
        debit, credit = (debit + amount, credit) if code == '27' else (debit, credit + amount)
        lines.append(rec('6' + code + '091000019' + f'{random.randint(10**8, 10**9)}'.ljust(17) + f'{amount:010d}' +
                         f'EMP{e:04d}'.ljust(15) + f'EMPLOYEE {b}-{e}'.ljust(22) + '  0' + f'09100001{b * 100 + e:07d}'))
    lines.append(rec('8200' + f'{n:06d}' + '0' * 10 + f'{debit:012d}{credit:012d}1234567890' + ' ' * 25 +
                     '09100001' + f'{b:07d}'))
lines.append(rec('9000003000002000000120000000000' + '0' * 24))
while len(lines) % 10:
    lines.append('9' * 94)
open(f'{data}/pay.txt', 'w', newline='').write('\r\n'.join(lines) + '\r\n')
out = ['QUARVEL LAYOUT SET 1', 'RECORDS 1:1', 'CARRY 5:BatchNum']
for f in sorted(glob.glob(f'{tables}/*.tab')):
    rows = [l for l in open(f, newline='').read().split('\r\n') if l]
    out += [f'TYPE {f.split("/")[-1][0]} FIELDS {len(rows)}'] + rows
open(f'{data}/nacha.tabs', 'w', newline='').write('\r\n'.join(out) + '\r\n')
PY

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

unset QT_QPA_PLATFORM
export LC_ALL=C.UTF-8
cd "$work/data"
"$work/prog/quarvel" pay.txt >"$work/stdout" 2>"$work/stderr" &
prog=$!
pids+=($prog)

window_named() {
  local name=$1 id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
keys_to() {
  local id=$1; shift
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers --delay 80 "$@"
}
active_name() { xdotool getwindowname "$(xdotool getactivewindow)" 2>/dev/null || true; }

main=$(window_named "Quarvel.*") || fail "no main window"
dialog=$(window_named "Opening input lile - Filling the input view") || fail "no filling dialog"
keys_to "$dialog" Return
sleep 1
# Fields definition > Recall file, the set's path typed into the file dialog.
keys_to "$main" alt+d
sleep 0.3
xdotool key --delay 100 Down Down Return
sleep 1
[ "$(active_name)" = "Open" ] || fail "no file dialog"
xdotool type --delay 20 "$work/data/nacha.tabs"
xdotool key Return
sleep 0.7
# The completer may take the first Return.
[ "$(active_name)" = "Open" ] && { xdotool key Return; sleep 0.7; }
# Go: keep the input view, then the last box.
keys_to "$main" F2
sleep 1
for _ in 1 2 3; do
  case "$(active_name)" in Information | Confirm) xdotool key Return; sleep 0.7 ;; *) break ;; esac
done
for type in 1 5 6 7 8 9; do [ -f "pay.qvo-$type.txt" ] || fail "no result of type $type"; done
[ "$(cat pay.qvo-?.txt | wc -l)" = $((20 + 6)) ] || fail "the results do not hold every line once"
grep -q '^0000002;6;' pay.qvo-6.txt || fail "no batch number carried onto the entries"
# Fields definition, the grid moved to the entries' table: Tab to the combo box, Down twice.
keys_to "$main" ctrl+d
sleep 0.8
xdotool key --delay 120 Tab Tab Tab Tab Tab Tab Down Down
sleep 0.5
[ -n "$shots" ] && import -display "$DISPLAY" -window root "$shots/record-types-screen.png"
keys_to "$main" alt+f
xdotool key Up Return
sleep 1
for _ in 1 2 3; do
  case "$(active_name)" in Information | Confirm) xdotool key Return; sleep 0.7 ;; *) break ;; esac
done
status=0
wait "$prog" || status=$?
[ "$status" = 1 ] || fail "the program ended with $status"
echo "record types run: six results, every line, the batch number carried"
