#!/usr/bin/env bash
# CPU time of notegrind on the benchmark's large MIDI file, against midicsv
# dumping the same file and against a plain copy of its bytes, in one run.
#   bash bench/notegrind/compare_midicsv.sh [build folder] [runs]
# (NOTEGRIND=path/to/notegrind measures another build of the program.)
# Each tool runs alone in a fresh folder with its output going to /dev/null
# (notegrind still writes its note list); the least CPU time (user + system)
# of the runs counts, as perf's task clock measures it. Needs perf, the
# benchmarks built (-DBUILD_BENCH=ON) and, for the midicsv column, the
# midicsv package.
set -euo pipefail
build=${1:-build}
runs=${2:-7}
root=$(cd "$(dirname "$0")/../.." && pwd)
notegrind=${NOTEGRIND:-$(cd "$build" && pwd)/notegrind/notegrind}
bench=$(cd "$build" && pwd)/bench/notegrind/notegrind_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/song"
"$bench" --write-song="$work/song/large.mid"

# cpu COMMAND...: least user+system seconds over $runs runs.
cpu() {
  local best=
  for _ in $(seq "$runs"); do
    local t
    perf stat -x, -e task-clock -o "$work/time" -- "$@" >/dev/null 2>&1 || true
    t=$(awk -F, '/task-clock/ {printf "%.4f", $1 / 1000}' "$work/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}

cd "$work/song"
copy=$(cpu sh -c 'cat large.mid > copy.bin')
ng=$(cpu "$notegrind")
echo "file: $(stat -c %s large.mid) bytes"
echo "plain copy: ${copy}s  notegrind: ${ng}s  notegrind / plain copy: $(awk "BEGIN{printf \"%.1f\", $ng / $copy}")"
if command -v midicsv >/dev/null; then
  mc=$(cpu midicsv large.mid)
  echo "midicsv: ${mc}s  notegrind / midicsv: $(awk "BEGIN{printf \"%.2f\", $ng / $mc}")"
else
  echo "midicsv is not installed: no ratio against it"
fi
