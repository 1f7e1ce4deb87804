#!/usr/bin/env bash
# Shared setup of the README's commands: installs the Debian packages the build needs (when any is
# missing), then configures and builds into build/ (or $Q9_BUILD_DIR).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${Q9_BUILD_DIR:-$root/build}

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libudev-dev libglib2.0-dev libx11-dev gsettings-desktop-schemas
  g++-mingw-w64-x86-64-posix wine64
  clang libclang-rt-14-dev xvfb xauth
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev fonts-noto-cjk fonts-dejavu-core xdotool x11-utils imagemagick
  python3
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" --parallel "$(nproc)"
