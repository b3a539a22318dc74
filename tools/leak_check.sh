#!/usr/bin/env bash
# Builds the production with AddressSanitizer (build-asan/), plays it for
# the given time under a virtual X server with the repository's data, ends
# it as a user does (a quit event) and fails when the leak report at exit
# names anything, or when it ends otherwise than with exit code 0:
#   tools/leak_check.sh [seconds]        (default 60)
# The GL driver's and the windowing library's own leaks are kept out of the
# report by tools/lsan_suppressions.txt; the project's code has none.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" "$@"
fi

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GL=ON -DSANITIZE=ON \
  -DBUILD_TESTS=OFF >/dev/null || exit 1
cmake --build "$root/build-asan" -j "$(nproc)" --target strobewerk >/dev/null || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$root/data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
cd "$work" || exit 1
# The GL driver (Mesa's software driver under the virtual X server) is
# unloaded when the window closes, and whatever it still holds then shows
# as a leak of an unknown module that no suppression can name: it is
# loaded ahead (after the sanitizer's runtime, which must come first) so it
# stays until the end. The fast stack unwinder is used: the slow one
# deadlocks in the GL driver, whose compiler registers unwind tables while
# the unwinder holds their lock.
preload=
driver=$(find /usr/lib/x86_64-linux-gnu/dri /usr/lib/dri -name swrast_dri.so 2>/dev/null | head -1)
asan_runtime=$(ldd "$root/build-asan/strobewerk/strobewerk" | awk '/libasan/ {print $3}')
[ -n "$driver" ] && [ -n "$asan_runtime" ] && preload="$asan_runtime:$driver"
SDL_AUDIODRIVER=dummy LD_PRELOAD="$preload" \
  ASAN_OPTIONS=detect_leaks=1:malloc_context_size=30 \
  LSAN_OPTIONS="suppressions=$root/tools/lsan_suppressions.txt:print_suppressions=1" \
  "$root/build-asan/strobewerk/strobewerk" >out.txt 2>err.txt &
pid=$!
sleep "$seconds"
kill -0 "$pid" 2>/dev/null || { echo "FAIL: ended before the quit"; tail -20 err.txt; exit 1; }
kill -TERM "$pid"
wait "$pid"
status=$?
failures=0
if grep -q "ERROR: LeakSanitizer\|ERROR: AddressSanitizer" err.txt; then
  echo "FAIL: the sanitizer reports:"
  grep -A 12 "^Direct leak\|^Indirect leak\|ERROR: AddressSanitizer" err.txt | head -80
  failures=1
fi
[ "$status" -eq 0 ] || { echo "FAIL: exit code $status"; failures=1; }
echo "suppressed at exit:"
sed -n '/^Suppressions used:/,/^---/p' err.txt | grep -v '^---\|^Suppressions used' || echo "  nothing"
[ "$failures" -eq 0 ] && echo "no leak in the production's code after ${seconds} s"
[ "$failures" -eq 0 ]
