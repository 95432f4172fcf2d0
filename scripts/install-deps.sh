#!/usr/bin/env bash
# Installs the Debian 12 packages the engine, its tests and its benchmarks need.
# Only what is missing is installed; run as root (or with sudo available).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git python3
  clang libclang-rt-14-dev
  libsdl2-dev libsdl2-mixer-dev timgm6mb-soundfont
  zlib1g-dev libjpeg62-turbo-dev libpng-dev libstb-dev
  libfreetype-dev libfontconfig-dev fonts-liberation
  libffi-dev libenet-dev libsqlite3-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libepoxy-dev libgl1-mesa-dri libegl-mesa0 libgl-dev xvfb xauth
  libgtest-dev libbenchmark-dev nlohmann-json3-dev
  lua5.4 love
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
