#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, any report fatal) into build-asan/ and runs the tests through CTest.
cd "$(dirname "$0")/.."
source scripts/lib/common.sh
scripts/need-clang.sh
source scripts/sanitizer-env.sh

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZANORA_SANITIZE=ON
cmake --build build-asan -j"$(nproc)"
cd build-asan
# The selection stress test runs more rounds here than in the normal suite.
ZANORA_STRESS_ROUNDS=200 ctest --output-on-failure --timeout 900
