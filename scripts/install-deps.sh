#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qtbase5-dev libqt5svg5-dev libqt5opengl5-dev qttools5-dev qttools5-dev-tools
  libvtk9-dev libvtk9-qt-dev
  libboost-dev libboost-filesystem-dev
  libgtest-dev libgmock-dev libbenchmark-dev python3
  xvfb xauth libgl1-mesa-dri mesa-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
