#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages the build, the tests, the demo and the package need, if any are
# missing, then configures and builds the project into build/ (Qt 5).
cd "$(dirname "$0")/.."
source scripts/lib/common.sh

install_missing cmake make g++ qtbase5-dev qt6-base-dev qttools5-dev qttools5-dev-tools \
    qttranslations5-l10n qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n \
    xvfb xauth xdotool imagemagick fonts-wqy-microhei python3 file dpkg-dev lintian \
    desktop-file-utils appstream man-db bash-completion

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo || die "configuring build/ failed"
cmake --build build -j"$(nproc)" || die "building build/ failed"
