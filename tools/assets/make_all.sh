#!/usr/bin/env bash
# Makes every derived asset of the production again, from the sources in
# tools/assets/ and tools/objbake/:
#   data/morvelane.mid   the score            (make_score.py)
#   data/mvl.txt         the note list        (notegrind, built from this tree)
#   data/morvelane.mp3   the soundtrack       (fluidsynth + the GM sound font, lame)
#   data/*.png           the images           (make_images.sh: ImageMagick, DejaVu fonts)
#   data/aBox.obj.bin    the box mesh         (objbake, built from this tree)
#
# Usage: tools/assets/make_all.sh [score|notes|audio|images|mesh ...]
# With no argument it makes everything. Needs python3, cmake, ninja, and for
# the soundtrack fluidsynth, fluid-soundfont-gm, sox and lame; none of them is
# needed to build or play the production, since the results are committed.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${ASSET_BUILD_DIR:-$root/build-assets}
soundfont=${SOUNDFONT:-/usr/share/sounds/sf2/FluidR3_GM.sf2}

# The synthesizer starts every note this many samples late (at 44.1 kHz);
# the soundtrack drops them so that sound and note list start together.
render_latency_samples=165

need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "make_all: $tool is missing" >&2; exit 1; }
  done
}

build_tool() {
  need cmake ninja
  cmake -S "$root" -B "$build" -G Ninja -DWITH_GL=OFF -DBUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target "$1" -j 2 >/dev/null
}

make_score() {
  need python3
  python3 tools/assets/make_score.py data/morvelane.mid
}

make_notes() {
  build_tool notegrind
  local work
  work=$(mktemp -d)
  # notegrind converts every .mid of its working folder beside itself.
  cp data/morvelane.mid "$work/mvl.mid"
  (cd "$work" && "$build/notegrind/notegrind" >/dev/null)
  cp "$work/mvl.txt" data/mvl.txt
  rm -rf "$work"
  echo "wrote data/mvl.txt"
}

make_audio() {
  need fluidsynth sox lame
  [ -f "$soundfont" ] || { echo "make_all: sound font $soundfont is missing" >&2; exit 1; }
  local work
  work=$(mktemp -d)
  fluidsynth -ni -q -g 0.3 -r 44100 -O s16 -T wav -F "$work/render.wav" \
    "$soundfont" data/morvelane.mid >/dev/null 2>&1
  # -R: sox dithers with a fixed seed, so the same score gives the same bytes.
  sox -R "$work/render.wav" "$work/song.wav" trim "${render_latency_samples}s" gain -n -1
  # CBR 160 kbit/s; lame writes its info tag with the encoder delay and
  # padding, so gapless decoders start exactly at the first rendered sample.
  lame --quiet -b 160 --noreplaygain \
    --tt "morvelane" --ta "glasswren" "$work/song.wav" data/morvelane.mp3
  rm -rf "$work"
  echo "wrote data/morvelane.mp3"
}

make_images() {
  bash tools/assets/make_images.sh data
}

make_mesh() {
  build_tool objbake
  "$build/tools/objbake/objbake" tools/assets/box.obj data/aBox.obj.bin
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(score notes audio images mesh)
for step in "${steps[@]}"; do
  case "$step" in
    score) make_score ;;
    notes) make_notes ;;
    audio) make_audio ;;
    images) make_images ;;
    mesh) make_mesh ;;
    *) echo "make_all: unknown step $step (score, notes, audio, images, mesh)" >&2; exit 2 ;;
  esac
done
