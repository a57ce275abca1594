#!/usr/bin/env bash
# Installs what building and testing rt570 needs on Debian 12 (as root, or through sudo), then
# configures and builds into the folder given (default: build).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$here/build"}
shift || true

packages=(build-essential cmake pkg-config qt6-base-dev qt6-serialport-dev libgtest-dev
          libgmock-dev libqt6sql6-sqlite qt6-charts-dev qt6-svg-dev clang libclang-rt-dev xvfb
          xauth time dpkg-dev file desktop-file-utils groff-base postgresql libqt6sql6-psql)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# RT570_WERROR=ON in the environment (continuous integration sets it) makes warnings errors.
cmake -S "$here" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRT570_WERROR="${RT570_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
