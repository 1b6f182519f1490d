#!/usr/bin/env bash
# Installs the Debian packages Tarvelon needs to build, test and benchmark.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libchm-dev fp-utils
  libtiff-dev libgeotiff-dev libpng-dev libproj-dev
  clang libclang-rt-14-dev ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick openbox xdotool
  gdal-bin python3-gdal time
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
