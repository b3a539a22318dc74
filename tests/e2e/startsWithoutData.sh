#!/usr/bin/env bash
# strobewerk started in a folder whose data folder is empty: every shader
# and image of the scene set-ups is reported, in the order the set-ups make
# them, the soundtrack and the note list are missing too (each told in one
# line), and still the window opens, frames are drawn and Escape ends the
# program with exit code 0. Then once without a data folder, which is told
# first.
# Usage: startsWithoutData.sh <strobewerk binary>
# Needs DISPLAY and xdotool.
set -u
binary=$1
source "$(dirname "$0")/common.sh"

mkdir "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
start_production "$binary"

sleep 2
kill -0 "$pid" 2>/dev/null || fail "ended before Escape"
press_escape
wait_for_exit Escape

# Greeting, set-up lines and the failures of set-up 2, the eye-overlay
# set-up (the seed boxes' mesh among them) and the intro set-up (the
# field's slope last), in their order (the blur chain's own lines follow).
expected=("hello world!" "hahah HAI" "ait:10"
  "Data/morvelane.mp3: cannot be opened (missing or unreadable), playing without sound"
  "initing scene1" "initing scene2")
# One line for each of the final composite's 44 programs.
for _ in $(seq 44); do
  expected+=("file error:lolvarlay.vert")
done
expected+=("OH SHIT. the devil fails:happy.png" "OH SHIT. the devil fails:party.png"
  "OH SHIT. the devil fails:OST.png" "OH SHIT. the devil fails:oc.png" "OH SHIT. the devil fails:cred.png"
  "OH SHIT. the devil fails:greets1.png" "OH SHIT. the devil fails:greets2.png"
  "OH SHIT. the devil fails:greets3.png" "OH SHIT. the devil fails:greets4.png"
  "OH SHIT. the devil fails:greets5.png" "OH SHIT. the devil fails:greets6.png"
  "OH SHIT. the devil fails:eye.png"
  "file error:terskel.vert" "file error:line.vert"
  "file error:box2.vert" "OH SHIT. the devil fails:colorscheme.png"
  "OH SHIT. the devil fails:f1.png" "OH SHIT. the devil fails:f2.png"
  "aBox.obj.bin: cannot be opened (missing or unreadable), no seed boxes"
  "OH SHIT. the devil fails:grad2.png" "file error:metaball2.vert" "file error:overlayShade.vert")
mapfile -t lines <out.txt
for i in "${!expected[@]}"; do
  [ "${lines[$i]:-}" = "${expected[$i]}" ] || fail "line $((i + 1)) is '${lines[$i]:-}', expected '${expected[$i]}'"
done
# Nothing after the set-ups but the blur chain's failures and then the note
# list's line: no fatal audio message, no line from the frames.
notelist="data/mvl.txt: cannot be opened (missing or unreadable), playing without note cues"
seen_notelist=0
for ((i = ${#expected[@]}; i < ${#lines[@]}; i++)); do
  case "${lines[$i]}" in
    "file error:"*) [ "$seen_notelist" -eq 0 ] || fail "line $((i + 1)) after the note list's: '${lines[$i]}'" ;;
    "$notelist") seen_notelist=$((seen_notelist + 1)) ;;
    *) fail "unexpected line $((i + 1)): '${lines[$i]}'" ;;
  esac
done
[ "$seen_notelist" -eq 1 ] || fail "the note list's line came $seen_notelist times"
[ -s err.txt ] && fail "error stream: $(head -3 err.txt)"
if [ "$failures" -ne 0 ]; then
  echo "--- console"
  head -50 out.txt
  exit 1
fi

# Once more without the data folder at all: one line says where it was
# looked for, before the line of the soundtrack it would hold.
rmdir "$work/data"
start_production "$binary"
sleep 1
press_escape
wait_for_exit Escape
mapfile -t lines <out.txt
[ "${lines[3]:-}" = "data folder missing: looked for $work/data" ] ||
  fail "line 4 without the folder is '${lines[3]:-}'"
[ "${lines[4]:-}" = "${expected[3]}" ] || fail "line 5 without the folder is '${lines[4]:-}'"
[ "$(grep -c '^data folder missing' out.txt)" -eq 1 ] || fail "the folder's line is not there once"
if [ "$failures" -ne 0 ]; then
  echo "--- console"
  head -10 out.txt
  exit 1
fi
echo "strobewerk started without its data, reported every file in order and ended on Escape;" \
  "without the data folder it said where it looked first"
