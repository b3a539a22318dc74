#!/usr/bin/env bash
# How long the production takes from launch to its first frame on screen,
# phase by phase: runs it RUNS times (after one unmeasured run that warms the
# file cache) with the start-up probe preloaded (build/tools/startprobe),
# ends each run at its first frame, and prints the medians. With a second
# program, the two run alternately and both are printed, so a change can be
# measured against the program before it under the same load;
# build/tools/startprobe/startfloor, a bare window cleared once, gives the
# floor that no start-up on this machine goes below.
# Without a display it runs itself under a virtual X server.
# Usage: tools/startup_time.sh [RUNS [PROGRAM [OTHER_PROGRAM]]]   (default 9, build/strobewerk/strobewerk)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
programs=("$(realpath "${2:-$root/build/strobewerk/strobewerk}")")
[ -n "${3:-}" ] && programs+=("$(realpath "$3")")
probe=$root/build/tools/startprobe/libstartprobe.so
[ -f "$probe" ] || { echo "build it first: cmake --build build --target startprobe strobewerk"; exit 1; }
for program in "${programs[@]}"; do
  [ -x "$program" ] || { echo "no program at $program"; exit 1; }
done

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" bash "$0" "$runs" "${programs[@]}"
fi

cd "$root"
marks=$(mktemp)
trap 'rm -f "$marks"' EXIT
launch() { # PROGRAM TAG
  local t0
  t0=$(date +%s%N)
  STARTPROBE_T0=$((t0 / 1000000)).$(printf '%06d' $((t0 % 1000000))) STARTPROBE_EXIT=1 \
    SDL_AUDIODRIVER=dummy LD_PRELOAD="$probe" "$1" 2>&1 |
    sed -n "s/^startprobe: /$2 /p" >>"$marks"
}
for program in "${programs[@]}"; do launch "$program" warmup; done
for ((i = 0; i < runs; i++)); do
  for p in "${!programs[@]}"; do launch "${programs[$p]}" "$p"; done
done

for p in "${!programs[@]}"; do
  awk -v tag="$p" -v name="${programs[$p]#"$root"/}" '
    function median(list, n,   i, j, t) {
      for (i = 2; i <= n; i++) { t = list[i]; for (j = i - 1; j >= 1 && list[j] > t; j--) list[j + 1] = list[j]; list[j + 1] = t }
      return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
    }
    $1 != tag { next }
    $2 == "sdl_init" { run++; sdl0[run] = $3; sdl1[run] = $4 }
    $2 == "window" { win0[run] = $3; win1[run] = $4 }
    $2 == "set_ups_done" { ups[run] = $3 }
    $2 == "first_frame" { first[run] = $3 }
    END {
      n = 0
      for (r = 1; r <= run; r++) {
        if (!(r in first) || !(r in ups)) continue
        n++
        a[n] = sdl0[r]; b[n] = sdl1[r] - sdl0[r]; c[n] = win0[r] - sdl1[r]; d[n] = win1[r] - win0[r]
        e[n] = ups[r] - win1[r]; f[n] = first[r] - ups[r]; g[n] = first[r]
        lo = (n == 1 || g[n] < lo) ? g[n] : lo; hi = (n == 1 || g[n] > hi) ? g[n] : hi
      }
      if (n == 0) { printf "%s: no run reached its first frame\n", name; exit 1 }
      printf "%s, median of %d runs (ms):\n", name, n
      printf "  %-34s %5.0f\n  %-34s %5.0f\n  %-34s %5.0f\n  %-34s %5.0f\n  %-34s %5.0f\n  %-34s %5.0f\n  %-34s %5.0f (%.0f to %.0f)\n",
        "libraries loaded", median(a, n), "SDL started", median(b, n), "soundtrack opened, res.conf read", median(c, n),
        "window and GL context", median(d, n), "GLEW, set-ups, note list, playback", median(e, n),
        "first frame drawn", median(f, n), "first frame on screen, from launch", median(g, n), lo, hi
    }' "$marks"
done
