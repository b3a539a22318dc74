#!/usr/bin/env bash
# End-to-end run of the maker's controls: strobewerk started at 1:00 with
# --from, paused and resumed with Space, seeked with Right and Home, and fed
# a broken and a mended shader, an edited and a broken note list and a
# broken and a mended score while it plays. The window title must follow
# the song time, every reload must say what it did, and the run must end
# with exit code 0 and nothing on the error stream.
# Usage: controls.sh <strobewerk binary> <data folder>   (needs DISPLAY, xdotool)
set -u
binary=$1
data=$2
source "$(dirname "$0")/common.sh"

cp -r "$data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
cd "$work" || exit 1
SDL_AUDIODRIVER=dummy "$binary" --from 1:00 >out.txt 2>err.txt &
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
  sleep 0.8
}
# wait_for_line <text>: up to 5 s for a console line containing text.
wait_for_line() {
  for _ in $(seq 25); do
    grep -qF "$1" out.txt && return 0
    sleep 0.2
  done
  fail "no console line with '$1'"
}

sleep 2
t=$(title_ms)
[ -n "$t" ] || fail "the title shows no song time: '$(xdotool getwindowname "$window")'"
[ -n "$t" ] && { [ "$t" -ge 60000 ] && [ "$t" -lt 75000 ] || fail "started at $t ms, not at 1:00"; }

key space
xdotool getwindowname "$window" | grep -q paused || fail "the title does not say paused"
held=$(title_ms)
sleep 1.5
[ "$(title_ms)" = "$held" ] || fail "the song time moved while paused ($held, then $(title_ms))"
key space
sleep 0.7
moved=$(title_ms)
[ "${moved:-0}" -gt "${held:-0}" ] || fail "the song time did not go on after the pause"

key Right
after=$(title_ms)
[ $((after - moved)) -ge 5000 ] || fail "Right moved from $moved to $after"
key Home
home=$(title_ms)
[ "${home:-99999}" -lt 3000 ] || fail "Home went to $home"

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
[ -s err.txt ] && fail "error stream: $(head -3 err.txt)"
if [ "$failures" -ne 0 ]; then
  cat out.txt
  exit 1
fi
echo "controls: all passed"
