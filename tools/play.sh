#!/usr/bin/env bash
# The play command: sets everything up, builds the production, makes its
# note list from the score when needed and starts it from the repository
# root (where res.conf and data/ are).
#  - With a display it plays in its window with sound; Escape or closing the
#    window ends it.
#  - Without one it renders the whole production into morvelane.mp4 in the
#    repository root (the size of res.conf, 30 frames a second, with the
#    soundtrack), says how long that should take, shows its progress and
#    prints where the video is. Ctrl-C stops it early and still leaves a
#    playable video of what was done.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash tools/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GL=ON >/dev/null
cmake --build build -j "$(nproc)" --target strobewerk notegrind

# The note list is made from the score: notegrind converts the MIDI files of
# the folder it runs in, so it runs on a copy of the score alone.
score=data/morvelane.mid
list=data/mvl.txt
if [ -f "$score" ] && { [ ! -f "$list" ] || [ "$score" -nt "$list" ]; }; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$score" "$work/morvelane.mid"
  (cd "$work" && "$root/build/notegrind/notegrind" >notegrind.log)
  mv "$work/morvelane.txt" "$list"
  echo "play: made $list from $score"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec ./build/strobewerk/strobewerk
fi

video=morvelane.mp4
echo "play: no display (DISPLAY is empty), so the production is rendered into $video instead"
status=0
./build/strobewerk/strobewerk --capture "$video" --fps 30 || status=$?
if [ -f "$video" ] && { [ "$status" -eq 0 ] || [ "$status" -ge 128 ]; }; then
  echo "play: the video is $root/$video"
fi
exit "$status"
