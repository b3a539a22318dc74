#!/usr/bin/env bash
# Measures how far the production's pictures are from its sound: plays it
# under a virtual X server with SDL's disk audio driver for SECONDS of song
# from FROM, logs every frame's song time against the audio written so far,
# and prints the median and largest offset (build/tools/syncmeasure).
# With STOP_AT set (seconds into the run), the process is stopped there for
# 3 s and continued, as a suspended laptop would be.
# Usage: tools/measure_sync.sh [SECONDS [FROM [LOG.csv]]]   (default 120 0:30)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-120}
from=${2:-0:30}
log=${3:-}
binary=$root/build/tools/syncmeasure/syncmeasure
[ -x "$binary" ] || { echo "build it first: cmake --build build --target syncmeasure"; exit 1; }

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
ln -s "$root/data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
[ -n "$log" ] && log=$(realpath -m "$log")

cd "$work"
xvfb-run -a -s "-screen 0 640x480x24" "$binary" "$work/out.raw" "$seconds" "$from" $log &
pid=$!
if [ -n "${STOP_AT:-}" ]; then
  sleep "$STOP_AT"
  target=$(pgrep -n -x syncmeasure || true)
  if [ -n "$target" ]; then
    kill -STOP "$target"; sleep 3; kill -CONT "$target"
  fi
fi
wait "$pid"
pid=
