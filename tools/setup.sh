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

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing+=("$p") ;;
  esac
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" != 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
