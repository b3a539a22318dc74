#!/usr/bin/env bash
# strobewerk started where there is no display (and with an empty data
# folder, so the soundtrack is told missing): SDL and the video info
# report their failure in their lines, and without a window (and so without
# an OpenGL context to draw with) the program says why in one line and ends
# with exit code 1 instead of going on into GL calls that would crash it.
# Usage: startsWithoutDisplay.sh <strobewerk binary>
set -u
binary=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir data
printf 'fullscreen:0\nwidth:320\nheight:240\n' >res.conf

# The X11 video driver is named so that a machine with a console display
# (where SDL could draw without X) still meets the case under test.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  timeout 30 "$binary" >out.txt 2>err.txt
status=$?

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ "$status" -eq 1 ] || fail "exit code $status, expected 1"
expected=("hello world!" "hahah HAI" "ait:10" "EROREROC OCK"
  "Data/morvelane.mp3: cannot be opened (missing or unreadable), playing without sound" "EROREROC OCK 55")
mapfile -t lines <out.txt
for i in "${!expected[@]}"; do
  [ "${lines[$i]:-}" = "${expected[$i]}" ] || fail "line $((i + 1)) is '${lines[$i]:-}', expected '${expected[$i]}'"
done
# The reason is the last line: nothing of the set-ups or the frames follows.
[ "${#lines[@]}" -eq 7 ] || fail "${#lines[@]} lines, expected 7"
case "${lines[6]:-}" in
  "no window: "?*) ;;
  *) fail "last line is '${lines[6]:-}', expected the reason there is no window" ;;
esac
[ -s err.txt ] && fail "error stream: $(head -3 err.txt)"

if [ "$failures" -ne 0 ]; then
  echo "--- console"
  cat out.txt
  exit 1
fi
echo "strobewerk without a display: '${lines[6]}', exit code 1"
