#!/usr/bin/env bash
# End-to-end run of strobewerk: plays a few seconds in a temporary folder,
# is resized larger and then smaller, is ended with a tap of Escape or by closing its window, and
# must leave the expected console lines, no engine failure line, nothing
# on the error stream and exit code 0.
# Usage: plays.sh <strobewerk binary> <data folder> [escape|close <send_window_close>]
# Needs DISPLAY, xdotool and ImageMagick.
set -u
binary=$1
data=$2
ending=${3:-escape}
closer=${4:-}
source "$(dirname "$0")/common.sh"

ln -s "$data" "$work/data"
printf 'fullscreen:0\nwidth:640\nheight:480\n' >"$work/res.conf"
start_production "$binary"

sleep 3
xdotool windowsize "$window" 900 500
sleep 2
# Three screenshots a moment apart: one frame may fall where the song's
# layers are dim, the brightest of three shows what reaches the screen.
for shot in 1 2 3; do
  import -window "$window" "shot$shot.png" 2>/dev/null
  sleep 0.7
done
# A window smaller than at start-up: the window copies must follow it.
# Copies that kept their start-up size would take in the whole start-up
# region and lay it into the smaller window: the frame would show itself
# shrunk into the lower-left corner, with nothing drawn above and right of
# it.
xdotool windowsize "$window" 400 300
sleep 2
import -window "$window" small.png 2>/dev/null
if [ "$ending" = close ]; then
  "$closer" "$window" || fail "could not ask the window to close"
else
  press_escape
fi
wait_for_exit "$ending"

# The start-up lines, in order.
expected=("hello world!" "hahah HAI" "ait:10" "initing scene1" "initing scene2")
mapfile -t lines <out.txt
for i in "${!expected[@]}"; do
  [ "${lines[$i]:-}" = "${expected[$i]}" ] || fail "line $((i + 1)) is '${lines[$i]:-}', expected '${expected[$i]}'"
done

# No engine failure line: shaders all compile, framebuffers are complete.
for pattern in "file error:" "compile and link failed" "framebuffer" "GL_FRAMEBUFFER" \
               "incomplete read buffer" "FMOD error!" "no window" "no OpenGL"; do
  if grep -qF "$pattern" out.txt; then fail "console shows: $(grep -F "$pattern" out.txt | head -1)"; fi
done
# Every image that exists loads; a missing one is reported as missing.
for image in happy.png party.png OST.png oc.png cred.png greets1.png greets2.png greets3.png \
             greets4.png greets5.png greets6.png eye.png colorscheme.png f1.png f2.png grad2.png; do
  reported=no
  grep -qxF "OH SHIT. the devil fails:$image" out.txt && reported=yes
  if [ -f "data/$image" ] && [ $reported = yes ]; then fail "$image exists but did not load"; fi
  if [ ! -f "data/$image" ] && [ $reported = no ]; then fail "$image is missing but was not reported"; fi
done
[ -s err.txt ] && fail "error stream: $(head -3 err.txt)"

# The window followed the resize: the frame fills the new size, also right
# of the start-up width.
shots=(shot*.png)
if [ -f "${shots[0]}" ]; then
  size=$(identify -format '%wx%h' "${shots[0]}")
  [ "$size" = "900x500" ] || fail "window is $size after the resize"
  # What reaches the screen holds the layers drawn over the background: the
  # metaball field's bright rim is there seconds into the song, and nothing
  # else in a frame without cues comes near white. When the layers never
  # reach the screen, no pixel passes the threshold at all.
  level=0
  bright=0
  for shot in "${shots[@]}"; do
    l=$(convert "$shot" -crop 180x200+700+150 -colorspace Gray -format '%[fx:mean*255]' info:)
    b=$(convert "$shot" -colorspace Gray -threshold 70% -format '%[fx:mean]' info:)
    level=$(awk -v a="$level" -v c="$l" 'BEGIN { print (c > a ? c : a) }')
    bright=$(awk -v a="$bright" -v c="$b" 'BEGIN { print (c > a ? c : a) }')
  done
  awk -v l="$level" 'BEGIN { exit !(l > 4) }' || fail "nothing drawn right of the start-up width (mean $level)"
  awk -v b="$bright" 'BEGIN { exit !(b > 0.0005) }' || fail "the screen shows no bright layer over the background (bright share $bright)"
else
  fail "no screenshot"
fi

if [ -f small.png ]; then
  size=$(identify -format '%wx%h' small.png)
  [ "$size" = "400x300" ] || fail "window is $size after the second resize"
  # A shrunken copy of the frame in the lower left has its edge 5/8 of the
  # way across (the start-up width over the new one) and 3/8 of the way
  # down: along those lines neighbouring pixels differ far more than
  # elsewhere in the picture.
  column_step() { # mean difference between columns $1 and $1 + 1, rows 115 to 294
    convert small.png \( -clone 0 -crop 1x180+"$1"+115 +repage \) \( -clone 0 -crop 1x180+"$(($1 + 1))"+115 +repage \) \
      -delete 0 -compose difference -composite -colorspace Gray -format '%[fx:mean*255]' info:
  }
  row_step() { # mean difference between rows $1 and $1 + 1, columns 0 to 239
    convert small.png \( -clone 0 -crop 240x1+0+"$1" +repage \) \( -clone 0 -crop 240x1+0+"$(($1 + 1))" +repage \) \
      -delete 0 -compose difference -composite -colorspace Gray -format '%[fx:mean*255]' info:
  }
  seams="$(column_step 249) $(row_step 111)"
  usual="$(column_step 149) $(column_step 199) $(column_step 299) $(row_step 61) $(row_step 161)"
  awk -v seams="$seams" -v usual="$usual" 'BEGIN {
    n = split(usual, u, " "); s = 0; for (i = 1; i <= n; i++) s += u[i]; limit = 4 * s / n; if (limit < 8) limit = 8
    split(seams, v, " "); exit !(v[1] <= limit && v[2] <= limit) }' ||
    fail "the smaller window shows a shrunken copy of the frame in its lower left (steps at its edges $seams, elsewhere $usual)"
else
  fail "no screenshot of the smaller window"
fi

if [ "$failures" -ne 0 ]; then
  echo "--- console"
  cat out.txt | head -40
  exit 1
fi
echo "strobewerk played, followed the resize and ended on $ending (brightest share $bright)"
