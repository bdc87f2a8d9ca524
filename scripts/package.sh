#!/usr/bin/env bash
# Builds the Debian package zanora_<version>_<arch>.deb with cpack from a build folder (build/
# unless named; configured and built first if need be) and checks it with lintian, which must not
# find fault with its dependencies. Install it with: sudo apt-get install ./build/zanora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/zanora_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/zanora_*.deb)

dpkg-deb --field "$deb" Depends Recommends
# lintian refuses to run as root without this; its other findings are printed, not fatal.
report=$(lintian --allow-root "$deb" 2>&1 || true)
[ -z "$report" ] || echo "$report"
if grep -E '^E: .*(depend|shlib)' <<< "$report"; then
    echo "lintian finds fault with the dependencies of $deb" >&2
    exit 1
fi
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"
