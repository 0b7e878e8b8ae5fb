#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qtbase5-dev libqt5svg5-dev libqt5opengl5-dev libqt5charts5-dev qttools5-dev qttools5-dev-tools
  libvtk9-dev libvtk9-qt-dev
  libboost-dev libboost-filesystem-dev
  libgtest-dev libgmock-dev libbenchmark-dev python3
  xvfb xauth libgl1-mesa-dri mesa-utils
  # the peak memory of programs a test starts, measured apart from the test process
  time
  locales
  # the short fuzzing run of the file readers in the test suite
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# The annotation tests read and write files under a decimal-comma locale.
ensure_test_locale() {
  if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "Locale de_DE.UTF-8 is missing (tests that need it are skipped); generate it with: sudo locale-gen de_DE.UTF-8" >&2
    return 0
  fi
  if [ -f /etc/locale.gen ]; then
    sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null 2>&1 || localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_locale
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
ensure_test_locale
