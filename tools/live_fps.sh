#!/usr/bin/env bash
# Live play's frame rate over a stretch of the song, sampled from the window
# title (which shows the song time and the frames of the last half second,
# refreshed twice a second): plays the production from FROM, reads every
# new title until the song reaches TO, ends the program with Escape and
# prints each half second's rate, then the median, the slowest half second
# and the slowest's share of the median (1 is an even frame rate).
# The window takes its size from res.conf (1280 x 720 as committed).
# Without a display it runs itself under a virtual X server.
# Usage: tools/live_fps.sh [FROM [TO [PROGRAM]]]   (default 0:30 1:00 build/strobewerk/strobewerk)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
from=${1:-0:30}
to=${2:-1:00}
program=$(realpath "${3:-$root/build/strobewerk/strobewerk}")
[ -x "$program" ] || { echo "no program at $program"; exit 1; }
for tool in xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xdotool x11-utils)"; exit 1; }
done
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" bash "$0" "$from" "$to" "$program"
fi

seconds() { # m:ss(.mmm) or milliseconds -> seconds
  case $1 in
    *:*) awk -F: '{ print $1 * 60 + $2 }' <<<"$1" ;;
    *) awk '{ print $1 / 1000 }' <<<"$1" ;;
  esac
}
end=$(seconds "$to")

cd "$root"
samples=$(mktemp)
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} "$program" --from "$from" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -f "$samples"' EXIT
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^strobewerk ' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no window appeared"; exit 1; }

last=""
while kill -0 "$pid" 2>/dev/null; do
  title=$(xprop -id "$window" WM_NAME 2>/dev/null | sed -n 's/^WM_NAME[^"]*"\(.*\)"$/\1/p')
  if [ -n "$title" ] && [ "$title" != "$last" ]; then
    last=$title
    # "strobewerk 0:31.250 | 27 fps"
    read -r song fps < <(awk '{ print $2, $4 }' <<<"$title")
    at=$(seconds "$song")
    echo "$at $fps" >>"$samples"
    awk -v at="$at" -v end="$end" 'BEGIN { exit !(at >= end) }' && break
  fi
  sleep 0.05
done
xdotool key --window "$window" Escape 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# The first title counts the frames of start-up; the rest are half seconds
# of play.
awk -v start="$(seconds "$from")" -v end="$end" '
  NR > 1 && $1 > start && $1 <= end { n++; at[n] = $1; fps[n] = $2; printf "%8.3f s %4d fps\n", $1, $2 }
  END {
    if (n == 0) { print "no samples"; exit 1 }
    for (i = 1; i <= n; i++) s[i] = fps[i]
    for (i = 2; i <= n; i++) { v = s[i]; j = i - 1; while (j > 0 && s[j] > v) { s[j + 1] = s[j]; j-- } s[j + 1] = v }
    median = n % 2 ? s[(n + 1) / 2] : (s[n / 2] + s[n / 2 + 1]) / 2
    slow = 1
    for (i = 2; i <= n; i++) if (fps[i] < fps[slow]) slow = i
    printf "half seconds %d, median %.1f fps, slowest %d fps at %.3f s, slowest / median %.2f\n",
           n, median, fps[slow], at[slow], fps[slow] / median
  }' "$samples"
