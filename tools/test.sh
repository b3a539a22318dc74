#!/usr/bin/env bash
# Sets everything up, builds everything and runs every test:
#  1. the tests that need no window, under AddressSanitizer and
#     UndefinedBehaviorSanitizer (build-san/);
#  2. the engine, the production and their tests in a real OpenGL context
#     under a virtual X server (build/);
#  3. the web page built and driven in headless Chromium, its frames
#     compared with the native ones (web/tools/test-page.sh); WITH_WEB=0
#     leaves it out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
export WITH_WEB=${WITH_WEB:-1}

bash tools/setup.sh

jobs=$(nproc)

echo "== tests without a window, under the sanitizers"
cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DWITH_GL=OFF >/dev/null
cmake --build build-san -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-san -L nogl --output-on-failure -j "$jobs"

echo "== the production and the tests in a window"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWITH_GL=ON >/dev/null
cmake --build build -j "$jobs"
if ctest --test-dir build -N -L '^gl$' | grep -q 'Total Tests: [1-9]'; then
  SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1600x1200x24" \
    ctest --test-dir build -L '^gl$' --output-on-failure
fi
if [ "${WITH_WEB:-0}" = 1 ]; then
  echo "== the web page in a browser"
  bash web/tools/test-page.sh
fi
echo "== all tests passed"
