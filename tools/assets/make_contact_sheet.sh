#!/usr/bin/env bash
# Renders a contact sheet of the production: sixteen frames at regular song
# times, laid out in a labelled grid.
#
# The frames come from the render benchmark's snapshot mode, which plays the
# composition with the production's own data on a clock of exact 16 ms
# frames under a virtual X server. A real-time run under a software renderer
# draws too few frames a second for the short card and flash effects to be
# seen, and its times are not exact; the snapshots are both.
#
# Usage: tools/assets/make_contact_sheet.sh [output.png]   (default docs/contact-sheet.png)
# Needs xvfb-run, ImageMagick (convert, montage) and the benchmark library;
# builds the snapshot program in build-assets-gl (WITH_GL=ON, BUILD_BENCH=ON)
# unless RENDER_BENCH names one. Takes a few minutes: every frame up to the
# last snapshot is drawn.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
out=${1:-docs/contact-sheet.png}

for tool in xvfb-run convert montage; do
  command -v "$tool" >/dev/null || { echo "contact sheet: $tool is missing" >&2; exit 1; }
done
bench=${RENDER_BENCH:-}
if [ -z "$bench" ]; then
  cmake -S "$root" -B "$root/build-assets-gl" -G Ninja -DWITH_GL=ON -DBUILD_BENCH=ON >/dev/null
  cmake --build "$root/build-assets-gl" --target render_bench -j 2 >/dev/null
  bench=$root/build-assets-gl/bench/render/render_bench
fi

# Every six bars (11.25 s at 128 beats per minute), just after a bar line, so
# the grid meets the title cards, flash images and greetings that fire there.
times=()
for i in $(seq 0 15); do times+=( $((600 + 11250 * i)) ); done

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
at=$(IFS=,; echo "${times[*]}")
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1600x1200x24" \
  "$bench" --snapshots="$frames" --at="$at" >"$frames/console.log" 2>&1 ||
  { cat "$frames/console.log" >&2; exit 1; }

labelled=()
for t in "${times[@]}"; do
  frame=$frames/frame$t.png
  [ -f "$frame" ] || { echo "contact sheet: no frame at $t ms" >&2; exit 1; }
  s=$((t / 1000))
  label=$(printf '%d:%02d' $((s / 60)) $((s % 60)))
  convert "$frame" -resize 384x216\! -font /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    -pointsize 18 -gravity SouthWest -fill white -undercolor '#00000099' -annotate +8+6 " $label " \
    "$frame.small.png"
  labelled+=( "$frame.small.png" )
done
mkdir -p "$(dirname "$out")"
montage "${labelled[@]}" -tile 4x -geometry +4+4 -background '#101014' \
  -define png:exclude-chunks=date,time "PNG24:$out"
echo "wrote $out"
