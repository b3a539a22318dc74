#!/usr/bin/env bash
# Renders a contact sheet of the production: the window is grabbed at regular
# song times while strobewerk plays under a virtual X server (no sound card
# needed), and the frames are laid out in a labelled grid.
#
# Usage: tools/assets/make_contact_sheet.sh [output.png]   (default docs/contact-sheet.png)
# Needs xvfb-run, ImageMagick (import, convert, montage) and a strobewerk
# built with WITH_GL=ON (it builds one in build-assets-gl when none is given
# in STROBEWERK). It takes as long as the song plays, a little over 3 minutes.
#
# The song clock starts once the scenes are set up; the grab times are
# counted from the set-up's last console line, so each label is the song
# time to within about a second.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)

if [ "${1:-}" = "--capture" ]; then
  # Inside the X server: $2 the program, $3 the folder for the frames, then
  # the grab times in seconds.
  exe=$2 frames=$3
  shift 3
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$exe" >"$frames/console.log" 2>&1 &
  pid=$!
  # The last set-up line marks the start of the song (within its set-up time).
  for _ in $(seq 1 600); do
    grep -q "initing scene2" "$frames/console.log" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || { echo "contact sheet: strobewerk ended early" >&2; cat "$frames/console.log" >&2; exit 1; }
    sleep 0.1
  done
  start=$(date +%s.%N)
  n=0
  for t in "$@"; do
    now=$(date +%s.%N)
    wait_s=$(awk -v s="$start" -v t="$t" -v n="$now" 'BEGIN { w = s + t - n; print (w > 0 ? w : 0) }')
    sleep "$wait_s"
    import -window root "$(printf '%s/frame%02d.png' "$frames" "$n")"
    n=$((n + 1))
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit 0
fi

out=${1:-docs/contact-sheet.png}
for tool in xvfb-run import convert montage; do
  command -v "$tool" >/dev/null || { echo "contact sheet: $tool is missing" >&2; exit 1; }
done
exe=${STROBEWERK:-}
if [ -z "$exe" ]; then
  cmake -S "$root" -B "$root/build-assets-gl" -G Ninja -DWITH_GL=ON -DBUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-assets-gl" --target strobewerk -j 2 >/dev/null
  exe=$root/build-assets-gl/strobewerk/strobewerk
fi

# Sixteen frames, 11 s apart, from the title cards to the greetings.
times=()
for i in $(seq 0 15); do times+=( $((4 + 11 * i)) ); done

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
# The window size comes from res.conf; the screen matches it.
width=$(sed -n 's/^[^:]*width[^:]*:\s*\([0-9]*\).*/\1/p' res.conf)
height=$(sed -n 's/^[^:]*height[^:]*:\s*\([0-9]*\).*/\1/p' res.conf)
xvfb-run -a -s "-screen 0 ${width:-1280}x${height:-720}x24" \
  bash "$0" --capture "$exe" "$frames" "${times[@]}"

labelled=()
n=0
for t in "${times[@]}"; do
  frame=$(printf '%s/frame%02d.png' "$frames" "$n")
  label=$(printf '%d:%02d' $((t / 60)) $((t % 60)))
  convert "$frame" -resize 384x216\! -font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf -pointsize 18 -gravity SouthWest \
    -fill white -undercolor '#00000099' -annotate +8+6 " $label " "$frame.small.png"
  labelled+=( "$frame.small.png" )
  n=$((n + 1))
done
mkdir -p "$(dirname "$out")"
montage "${labelled[@]}" -tile 4x -geometry +4+4 -background '#101014' "PNG24:$out"
echo "wrote $out"
