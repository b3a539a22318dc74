#!/usr/bin/env bash
# Builds the production's web page into web/dist/ (static files for any web
# server) and serves it on http://127.0.0.1:8080/ (PORT=... for another
# port) until Ctrl-C. --build-only stops after the build.
#
# Sets up what it needs first (tools/setup.sh with the web's packages:
# Debian's emscripten, the PNG decoder, the source packages of libmpg123 and
# KissFFT, which are built for the web once into build-web/libs).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
export NODE_PATH=/usr/share/nodejs

serve=1
for arg in "$@"; do
  case "$arg" in
    --build-only) serve=0 ;;
    *) echo "web.sh: unknown argument $arg (only --build-only)"; exit 2 ;;
  esac
done

WITH_WEB=1 bash tools/setup.sh

bash web/tools/build-libs.sh build-web/libs
echo "web: compiling the production"
mkdir -p build-web
emcmake cmake -S web -B build-web/app -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DWEB_LIBS="$root/build-web/libs/prefix" >build-web/configure.log 2>&1 ||
  { cat build-web/configure.log; echo "web.sh: configuring the web build failed"; exit 1; }
cmake --build build-web/app -j "${WEB_JOBS:-$(nproc)}"

rm -rf web/dist
mkdir -p web/dist
cp web/page/index.html web/page/page.js web/dist/
cp build-web/app/strobewerk.js build-web/app/strobewerk.wasm build-web/app/strobewerk.data web/dist/
echo "web: web/dist/ is ready ($(du -sh web/dist | cut -f1))"

if [ "$serve" = 1 ]; then
  port=${PORT:-8080}
  echo "web: serving on http://127.0.0.1:$port/ (Ctrl-C ends)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory web/dist
fi
