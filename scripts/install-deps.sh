#!/usr/bin/env bash
# Installs the Debian packages Quorl needs to build, run and test, if any are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libx11-dev libxcomposite-dev
  libsdl2-dev libsdl2-mixer-dev libpng-dev libinih-dev libzstd-dev libxxhash-dev libenet-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libbullet-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth
  desktop-file-utils appstream dpkg-dev binutils
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
