#!/usr/bin/env bash
# End-to-end run of the maker's controls: strobewerk started at 1:00 with
# --from, paused and resumed with Space, seeked with Right and Home, and fed
# a broken and a mended shader, an edited and a broken note list and a
# broken and a mended score while it plays. The window title must follow
# the song time, every reload must say what it did, and the run must end
# with exit code 0, nothing on the error stream and its joystick recording
# written (no joystick here: a recording of no changes). A recording that
# is not one is refused with one line and exit code 2.
# Usage: controls.sh <strobewerk binary> <data folder>   (needs DISPLAY, xdotool)
set -u
binary=$1
data=$2
source "$(dirname "$0")/common.sh"

cp -r "$data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
cd "$work" || exit 1
echo "not a recording" >bad-take.txt
SDL_AUDIODRIVER=dummy "$binary" --replay-input bad-take.txt >bad.txt 2>&1
code=$?
[ "$code" -eq 2 ] || fail "a bad recording to replay ended with exit code $code, expected 2"
grep -qF "strobewerk: cannot replay bad-take.txt: not an input recording" bad.txt ||
  fail "no line naming the bad recording: $(tail -1 bad.txt)"
SDL_AUDIODRIVER=dummy "$binary" --from 1:00 --record-input take.txt >out.txt 2>err.txt &
pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
[ -n "$window" ] || { fail "no window appeared"; cat out.txt err.txt; exit 1; }

# The song time the title shows, in milliseconds (empty when it shows none).
title_ms() {
  xdotool getwindowname "$window" |
    sed -n 's/^strobewerk \([0-9]*\):\([0-9][0-9]\)\.\([0-9][0-9][0-9]\) | [0-9]* fps.*/\1 \2 \3/p' |
    awk '{ print ($1 * 60 + $2) * 1000 + $3 }'
}
key() {
  xdotool windowfocus "$window" 2>/dev/null
  xdotool key --window "$window" "$1"
}
# wait_title <what> <awk condition on t>: up to 15 s for the title's song time
# t to meet the condition (the title is refreshed twice a second, and
# frames are slow on a software renderer); sets $found to t.
wait_title() {
  for _ in $(seq 75); do
    found=$(title_ms)
    if [ -n "$found" ] && awk -v t="$found" "BEGIN { exit !($2) }"; then
      return 0
    fi
    sleep 0.2
  done
  fail "$1 (title: '$(xdotool getwindowname "$window")')"
  found=${found:-0}
}
# wait_for_line <text>: up to 5 s for a console line containing text.
wait_for_line() {
  for _ in $(seq 25); do
    grep -qF "$1" out.txt && return 0
    sleep 0.2
  done
  fail "no console line with '$1'"
}

wait_title "no start at 1:00 in the title" "t >= 60000 && t < 75000"

key space
for _ in $(seq 50); do
  xdotool getwindowname "$window" | grep -q paused && break
  sleep 0.2
done
xdotool getwindowname "$window" | grep -q paused || fail "the title does not say paused"
sleep 0.6
held=$(title_ms)
sleep 1.5
[ "$(title_ms)" = "$held" ] || fail "the song time moved while paused ($held, then $(title_ms))"
key space
wait_title "the song time did not go on after the pause" "t > ${held:-0}"
moved=$found

key Right
wait_title "Right did not seek 5 s forward from $moved" "t >= $moved + 5000"
key Home
wait_title "Home did not go back to the start" "t < 3000"

# Shaders: a broken one keeps the last program, a mended one comes back.
cp data/line.frag line.frag.good
echo "this is no shader" >>data/line.frag
wait_for_line "shader line.frag not reloaded"
cp line.frag.good data/line.frag
wait_for_line "reloaded shader line.frag"

# The note list: a broken one keeps the last notes, an edited one is read.
cp data/mvl.txt mvl.txt.good
echo "3 4 n 100" >data/mvl.txt
wait_for_line "data/mvl.txt not reloaded"
{ cat mvl.txt.good; echo; } >data/mvl.txt
wait_for_line "reloaded data/mvl.txt"

# The score: converted in the program; a cut one is refused.
cp data/morvelane.mid score.good
head -c 200 score.good >data/morvelane.mid
wait_for_line "data/morvelane.mid not reloaded"
cp score.good data/morvelane.mid
wait_for_line "reloaded data/morvelane.mid"

xdotool key --window "$window" Escape
wait_for_exit "Escape"
grep -qF "compile and link failed" out.txt && fail "a start-up shader failed"
grep -qxF "input recorded: 0 changes in take.txt" out.txt || fail "no line for the recording"
[ "$(cat take.txt 2>/dev/null)" = "strobewerk input 1" ] || fail "take.txt is not an empty recording"
[ -s err.txt ] && fail "error stream: $(head -3 err.txt)"
if [ "$failures" -ne 0 ]; then
  cat out.txt
  exit 1
fi
echo "controls: all passed"
