#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the production need,
# when they are missing. Safe to run again: it does nothing once all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl1.2-compat-dev libglu1-mesa-dev libgl1-mesa-dri libglew-dev
  libdevil-dev libmpg123-dev libkissfft-dev libtinyobjloader-dev
  xvfb xauth xdotool x11-utils imagemagick libx11-dev parallel
  libegl1 libegl-mesa0
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
)
if [ "${WITH_FUZZ:-0}" = 1 ]; then
  packages+=(clang)
fi
# The web page (tools/web.sh) and its browser tests: the compiler, the PNG
# decoder, what builds libmpg123 and KissFFT from their source packages, and
# the browser with node to drive it.
if [ "${WITH_WEB:-0}" = 1 ]; then
  packages+=(emscripten libstb-dev dpkg-dev chromium python3)
  # A node from elsewhere brings its own npm; Debian's would conflict.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done

sudo_cmd=()
if [ "$(id -u)" != 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive

# The web build compiles two libraries from Debian's source packages.
need_update=0
if [ "${WITH_WEB:-0}" = 1 ] && ! grep -rqs '^Types: deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: adding Debian's source packages (deb-src) for the web build"
  "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/strobewerk-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $(. /etc/os-release && echo "$VERSION_CODENAME")
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  need_update=1
fi

if [ ${#missing[@]} -eq 0 ]; then
  [ "$need_update" = 1 ] && "${sudo_cmd[@]}" apt-get update -qq
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
