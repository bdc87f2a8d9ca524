#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build, made on Debian 12 with mingw-w64 and tested under Wine.
#
#   scripts/windows.sh [--test]   install what is missing, build Qt for Windows (once), cross-build
#                                 into build-win/, run the whole suite under Wine (ctest), build
#                                 the zip and the installer, and check them under Wine: the
#                                 unpacked zip started (screenshot), zanora-cli.exe from cmd, and
#                                 install / start from the Start menu / uninstall in a fresh prefix
#   scripts/windows.sh --qt       only install what is missing and build Qt for Windows
#   scripts/windows.sh --build    only cross-build
#   scripts/windows.sh --package  cross-build, then build-win/zanora-<version>-win64.zip and
#                                 build-win/zanora-<version>-win64-setup.exe, and check them
#                                 under Wine as --test does (without the suite)
#
# Qt 5.15 qtbase for Windows is built from Debian's own source package (apt-get source, through a
# deb-src entry this script adds and removes again) into a cache folder that later runs reuse:
#   ${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}/qt5-win64
# Building it takes about 25 minutes on two idle cores; an interrupted build goes on where it
# stopped. To build it anew, remove the cache folder:
#   rm -rf "${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}"
# The build folder is ${ZANORA_WIN_BUILD:-build-win} inside the source tree.
# The stages live in scripts/windows/: qt.sh, build.sh, package.sh, checks.sh.
cd "$(dirname "$0")/.."
top=$(pwd)
source scripts/lib/common.sh
source scripts/lib/adserver.sh
for part in qt build package checks; do source "scripts/windows/$part.sh"; done

cache=${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}
qt_win=$cache/qt5-win64
build=${ZANORA_WIN_BUILD:-$top/build-win}
case "$build" in /*) ;; *) build=$top/$build ;; esac

mode=${1:---test}
case "$mode" in
--qt | --build | --test | --package) ;;
-h | --help)
    sed -n '3,/^cd /p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
*)
    echo "Unknown option: $mode (see $0 --help)" >&2
    exit 2
    ;;
esac

install_missing cmake make g++ qtbase5-dev qtbase5-dev-tools g++-mingw-w64-x86-64-posix \
    wine wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei dpkg-dev zip unzip zstd nsis \
    qttools5-dev-tools qttranslations5-l10n
build_qt
[ "$mode" = --qt ] && exit 0
cross_build
[ "$mode" = --build ] && exit 0
[ "$mode" = --test ] && run_tests

stage_package
package_zip
package_installer
trap 'stop_display' EXIT
start_display
check_zip
check_console
check_installer
echo "Windows: $zip_file and $setup_file checked under Wine"
