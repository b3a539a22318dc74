#!/usr/bin/env bash
# The play command: sets everything up, builds the production, makes its
# note list from the score when needed and starts it from the repository
# root (where res.conf and data/ are). Escape or closing the window ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ -z "${DISPLAY:-}" ]; then
  echo "play: no display (DISPLAY is empty); run it under a virtual X server: xvfb-run -a -s \"-screen 0 1600x1200x24\" bash tools/play.sh"
  exit 1
fi

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

./build/strobewerk/strobewerk
