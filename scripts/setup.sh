#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the demo and the package need, if any are
# missing, then configures and builds the project into build/ (Qt 5).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ qtbase5-dev qt6-base-dev xvfb xauth xdotool imagemagick fonts-wqy-microhei
          python3 file dpkg-dev lintian desktop-file-utils appstream)
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
