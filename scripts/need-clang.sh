#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs clang 14 and its sanitizer and libFuzzer runtimes if they are missing (Debian 12).
cd "$(dirname "$0")/.."
source scripts/lib/common.sh
install_missing clang-14 libclang-rt-14-dev
