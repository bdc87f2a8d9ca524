#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one fuzz target of fuzz/ for a while:  scripts/fuzz.sh TARGET [SECONDS [LIBFUZZER-OPTIONS...]]
# TARGET is the part after fuzz_ (framecodec, adlinks, adimage, serverconfig, adset, message);
# scripts/fuzz.sh --list names them. Builds into build-fuzz/ (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer). The seeds in fuzz/corpus/TARGET are only read; what the fuzzer
# learns goes to build-fuzz/corpus/TARGET, and an input that fails to
# build-fuzz/findings/TARGET/, to be replayed with: build-fuzz/fuzz/fuzz_TARGET FILE
cd "$(dirname "$0")/.."
source scripts/lib/common.sh

if [ "${1:-}" = "--list" ]; then
    for source in fuzz/fuzz_*.cpp; do
        name=${source#fuzz/fuzz_}
        echo "${name%.cpp}"
    done
    exit 0
fi
if [ $# -lt 1 ]; then
    echo "usage: $0 TARGET [SECONDS [LIBFUZZER-OPTIONS...]] | --list" >&2
    exit 2
fi
target=${1#fuzz_}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))

scripts/need-clang.sh
source scripts/sanitizer-env.sh
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZANORA_FUZZ=ON -DBUILD_TESTING=OFF > /dev/null
cmake --build build-fuzz -j"$(nproc)" --target "fuzz_$target"

mkdir -p "build-fuzz/corpus/$target" "build-fuzz/findings/$target"
# The targets write their scratch folders there; QSaveFile's sync to disk costs nothing in memory.
[ -d /dev/shm ] && export TMPDIR=/dev/shm
# Full stacks on every allocation, which the leak suppressions need, would cost most of the time;
# the targets keep Qt alive to the end, so its start-up leaves no leak to suppress.
export ASAN_OPTIONS="${ASAN_OPTIONS/fast_unwind_on_malloc=0/fast_unwind_on_malloc=1}"
echo "Fuzzing $target for $seconds s"
# -timeout: an input that takes more than 10 s counts as a hang; -rss_limit_mb: 2 GB as a memory
# hog. Both fail the run, like a crash or a sanitizer report.
"build-fuzz/fuzz/fuzz_$target" "build-fuzz/corpus/$target" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target/" "$@"
