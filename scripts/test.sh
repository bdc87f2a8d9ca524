#!/usr/bin/env bash
# Installs what is missing, builds, and runs every check, each a step below, in order, stopping at
# the first that fails:
#   tests       the test suite through CTest (build/)
#   sanitizers  the test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#               (scripts/sanitize.sh, build-asan/)
#   fuzz        each fuzz target for FUZZ_SECONDS (60) seconds (scripts/fuzz.sh, build-fuzz/)
# scripts/test.sh STEP... runs only the steps named. A new check is a step_<name> function and
# its name in the steps list.
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS=${FUZZ_SECONDS:-60}

step_tests() {
    scripts/setup.sh
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900)
}

step_sanitizers() {
    scripts/sanitize.sh
}

step_fuzz() {
    local target
    for target in $(scripts/fuzz.sh --list); do
        scripts/fuzz.sh "$target" "$FUZZ_SECONDS"
    done
}

steps=(tests sanitizers fuzz)
[ $# -gt 0 ] && steps=("$@")

summary=()
for step in "${steps[@]}"; do
    echo "=== $step"
    started=$SECONDS
    "step_$step"
    summary+=("$step: passed in $((SECONDS - started)) s")
done
echo "=== All checks passed"
printf '  %s\n' "${summary[@]}"
