#!/usr/bin/env bash
# Plays the production for N minutes under a virtual X server at 320 x 240
# with the repository's data, samples its resident memory, threads and open
# files every 30 s, and fails when any of them grows after the first
# minute (resident memory may move by up to 4 MB of allocator noise):
#   tools/soak.sh <minutes> [strobewerk binary]
# (default binary build/strobewerk/strobewerk; SOAK_INTERVAL overrides the
# 30 s between samples). Prints one line a sample and a summary; exit code
# 0 when nothing grew and the production was still running at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:?usage: soak.sh <minutes> [strobewerk binary]}
binary=$(realpath "${2:-$root/build/strobewerk/strobewerk}")
interval=${SOAK_INTERVAL:-30}
slack_kb=4096

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$root/data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
cd "$work" || exit 1
SDL_AUDIODRIVER=dummy "$binary" >out.txt 2>err.txt &
pid=$!

sample() {
  local rss threads files
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null) || return 1
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$pid/status" 2>/dev/null) || return 1
  files=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
  [ -n "$rss" ] && echo "$rss $threads $files"
}

end=$((SECONDS + minutes * 60))
base=
failures=0
rss_min= rss_max=0
printf '%8s %10s %8s %6s\n' seconds rss_kb threads files
while [ $SECONDS -lt $end ]; do
  sleep "$interval"
  s=$(sample) || { echo "FAIL: the production ended early"; cat out.txt | tail -5; exit 1; }
  read -r rss threads files <<<"$s"
  t=$SECONDS
  printf '%8d %10d %8d %6d\n' "$t" "$rss" "$threads" "$files"
  [ -z "$rss_min" ] || [ "$rss" -lt "$rss_min" ] && rss_min=$rss
  [ "$rss" -gt "$rss_max" ] && rss_max=$rss
  if [ -z "$base" ]; then
    if [ "$t" -ge 60 ] || [ $((t + interval)) -gt $((minutes * 60)) ]; then
      base="$rss $threads $files"
      read -r base_rss base_threads base_files <<<"$base"
    fi
    continue
  fi
  if [ "$rss" -gt $((base_rss + slack_kb)) ]; then
    echo "FAIL: resident memory grew from $base_rss kB to $rss kB"
    failures=$((failures + 1))
  fi
  [ "$threads" -gt "$base_threads" ] && { echo "FAIL: threads grew from $base_threads to $threads"; failures=$((failures + 1)); }
  [ "$files" -gt "$base_files" ] && { echo "FAIL: open files grew from $base_files to $files"; failures=$((failures + 1)); }
done
kill -TERM "$pid"
wait "$pid" 2>/dev/null
pid=
echo "summary: ${minutes} min; resident memory ${rss_min}..${rss_max} kB (at 1 min: ${base_rss:-?} kB," \
  "at the end: ${rss} kB); threads ${base_threads:-?} -> ${threads}; open files ${base_files:-?} -> ${files}"
[ -s err.txt ] && { echo "FAIL: error stream: $(head -3 err.txt)"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ]
