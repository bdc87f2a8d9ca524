#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, if any are missing,
# then configures and builds the project into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ qtbase5-dev xvfb xauth xdotool imagemagick fonts-wqy-microhei)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
