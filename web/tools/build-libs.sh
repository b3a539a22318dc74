#!/usr/bin/env bash
# Builds the two C libraries the web build links, libmpg123 and KissFFT,
# for WebAssembly from Debian's own source packages, once: the results go
# to $1 (default build-web/libs) and a later run with them in place does
# nothing. Needs the deb-src line tools/setup.sh adds.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
out=$(realpath -m "${1:-build-web/libs}")
prefix="$out/prefix"
export NODE_PATH=/usr/share/nodejs
if [ -f "$prefix/lib/libmpg123.a" ] && [ -f "$prefix/lib/libkissfft-float.a" ]; then
  exit 0
fi
mkdir -p "$out/src" "$prefix/lib" "$prefix/include"
cd "$out/src"

# Debian's source package: the upstream archive with Debian's patches on
# top. Unpacked by hand, because a mirror may lack the upstream signature
# that dpkg-source insists on. Leaves the folder in $fetched.
fetch() {
  local dir
  dir=$(ls -d "$1"-*/ 2>/dev/null | head -n1 || true)
  if [ -z "$dir" ]; then
    apt-get source -qq --download-only "$1" >/dev/null 2>&1 || true
    local orig
    orig=$(ls "$1"_*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
    if [ -z "$orig" ]; then
      echo "web libraries: cannot download the source package $1 (is there a deb-src line? tools/setup.sh adds one)"
      exit 1
    fi
    tar xf "$orig"
    dir=$(ls -d "$1"-*/ | head -n1)
    tar xf "$(ls "$1"_*.debian.tar.* | head -n1)" -C "$dir"
    if [ -f "$dir/debian/patches/series" ]; then
      grep -v '^#' "$dir/debian/patches/series" | while read -r patchName _; do
        [ -n "$patchName" ] && patch -s -p1 -d "$dir" < "$dir/debian/patches/$patchName"
      done
    fi
  fi
  fetched=$dir
}

echo "web libraries: libmpg123"
fetch mpg123
mpg=$fetched
(
  cd "$mpg"
  # Only the decoder library, plain C (no assembly), no output modules.
  emconfigure ./configure --prefix="$prefix" --host=wasm32 \
    --disable-shared --enable-static --with-cpu=generic_fpu --disable-modules \
    --with-audio=dummy --with-default-audio=dummy CFLAGS="-O2 -Wno-ignored-optimization-argument" \
    >"$out/mpg123-build.log" 2>&1 &&
    emmake make -j2 src/libmpg123/libmpg123.la >>"$out/mpg123-build.log" 2>&1 ||
    { tail -n 30 "$out/mpg123-build.log"; echo "web libraries: libmpg123 did not build (log: $out/mpg123-build.log)"; exit 1; }
  cp src/libmpg123/.libs/libmpg123.a "$prefix/lib/"
  cp src/libmpg123/mpg123.h src/include/fmt123.h "$prefix/include/" 2>/dev/null ||
    cp src/libmpg123/mpg123.h src/libmpg123/fmt123.h "$prefix/include/"
)

echo "web libraries: KissFFT"
fetch kissfft
kiss=$fetched
(
  cd "$kiss"
  # The float build the native package ships: the library's own C files.
  objs=()
  for f in kiss_fft.c kfc.c kiss_fftnd.c kiss_fftndr.c kiss_fftr.c; do
    [ -f "$f" ] || continue
    emcc -O2 -Dkiss_fft_scalar=float -c "$f" -o "${f%.c}.o"
    objs+=("${f%.c}.o")
  done
  emar rcs "$prefix/lib/libkissfft-float.a" "${objs[@]}"
  mkdir -p "$prefix/include/kissfft"
  cp kiss_fft.h kiss_fftr.h "$prefix/include/kissfft/"
  [ -f kiss_fft_log.h ] && cp kiss_fft_log.h "$prefix/include/kissfft/"
  [ -f _kiss_fft_guts.h ] && cp _kiss_fft_guts.h "$prefix/include/kissfft/"
)
echo "web libraries: done in $prefix"
