#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then runs every check, one step after the other:
#   qt5        build/ against Qt 5.15: build, the whole suite, the end-to-end test under Xvfb
#   qt6        build-qt6/ against Qt 6.4: the same
#   package    the .deb from build/ (scripts/package.sh), installed with apt-get, one start of the
#              installed program under Xvfb with a screenshot, then removed again
#   metadata   desktop-file-validate and appstreamcli validate on the desktop entry and metainfo
#   sanitizers the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer, any
#              report fatal (scripts/sanitize.sh, build-asan/)
#   fuzz       each fuzz target for FUZZ_SECONDS (60) seconds (scripts/fuzz.sh, build-fuzz/)
#   windows    Qt and the program cross-built for Windows with mingw-w64, the whole suite run
#              under Wine, the zip and the installer built and checked under Wine
#              (scripts/windows.sh --test, build-win/, Qt cached under ~/.cache/zanora-win)
# With step names as arguments only those steps run, e.g. `scripts/test.sh qt6 package`.
cd "$(dirname "$0")/.."
top=$(pwd)
source scripts/lib/common.sh
source scripts/lib/adserver.sh
xvfb() { xvfb-run -a -s "-screen 0 1280x960x24" "$@"; }

# The whole suite through CTest: the unit tests on the offscreen platform, the end-to-end test on
# the X server xvfb-run starts.
build_and_test() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" || die "configuring $folder failed"
    cmake --build "$folder" -j"$(nproc)" || die "building $folder failed"
    (cd "$folder" && QT_QPA_PLATFORM=offscreen xvfb ctest --output-on-failure --timeout 900) ||
        die "tests failed in $folder"
}

step_qt5() { build_and_test build -DZANORA_QT_MAJOR=5; }

step_qt6() { build_and_test build-qt6 -DZANORA_QT_MAJOR=6; }

step_package() {
    scripts/package.sh build
    local deb
    deb=$(ls "$top"/build/zanora_*.deb)
    apt_get install -y --no-install-recommends "$deb"

    # The installed manual pages open without a warning; the installed completion is the one
    # bash-completion loads for each program, and it completes an option.
    local page warnings
    for page in zanora zanora-adserver zanora-desktop; do
        [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] ||
            die "man $page does not find the installed page"
        warnings=$(MANWIDTH=80 man --warnings "$page" 2>&1 > /dev/null)
        [ -z "$warnings" ] || die "man $page warns: $warnings"
    done
    [ -f /usr/share/doc/zanora/copyright ] && [ -f /usr/share/doc/zanora/changelog.gz ] ||
        die "the copyright file or the changelog is not installed"
    bash -c '
        set -euo pipefail
        source /usr/share/bash-completion/bash_completion
        # try WORD...: what the completion offers for the last word of the command line WORD...
        try() {
            COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMPREPLY=()
            COMP_POINT=${#COMP_LINE}
            __load_completion "$1"
            "$(complete -p "$1" | sed -n "s/.*-F \([^ ]*\) .*/\1/p")"
            echo "${COMPREPLY[*]}"
        }
        [ "$(try zanora --sm)" = --small ]
        [ "$(try zanora-desktop --dry)" = --dry-run ]
        [ "$(try zanora-adserver --p)" = --port ]
    ' || die "the installed bash completion does not complete the options"

    # Start the installed program the way the menu entry does (its Exec line), in a home folder
    # of its own, against the installed stand-in ad server with the demo ad set.
    local home shot="$top/build/installed-zanora.png"
    local entry=/usr/share/applications/org.zanora.Zanora.desktop
    home=$(mktemp -d)
    rm -f "$shot"
    xvfb env HOME="$home" XDG_DATA_HOME= XDG_CONFIG_HOME= bash -c '
        set -euo pipefail
        command -v "$(sed -n "s/^TryExec=//p" "$3")" > /dev/null
        source "$1/scripts/lib/adserver.sh"
        folder="$HOME/.local/share/zanora"
        mkdir -p "$folder"
        start_adserver "$HOME/adserver.out" zanora-adserver --port 0 --ads "$1/tools/demo/ads"
        trap "kill $adserver_pid" EXIT
        write_server_config "$folder" "$adserver_port"
        $(sed -n "s/^Exec=//p" "$3") &
        app=$!
        wid=$(timeout 60 xdotool search --sync --onlyvisible --name "^Zanora V3\.1$" | head -n 1)
        sleep 2
        import -window "$wid" "$2"
        kill $app
        ls "$folder/GG/GG1.dat" > /dev/null
    ' _ "$top" "$shot" "$entry"
    rm -rf "$home"
    apt_get remove -y zanora
    [ -s "$shot" ] && echo "The installed program started from its menu entry; its window: $shot"
}

step_sanitizers() { scripts/sanitize.sh; }

step_fuzz() {
    local target
    for target in $(scripts/fuzz.sh --list); do
        scripts/fuzz.sh "$target" "${FUZZ_SECONDS:-60}"
    done
}

step_windows() { scripts/windows.sh --test; }

step_metadata() {
    desktop-file-validate dist/*.desktop
    appstreamcli validate --no-net dist/*.metainfo.xml
}

scripts/setup.sh
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(qt5 qt6 package metadata sanitizers fuzz windows)
summary=()
for step in "${steps[@]}"; do
    echo "=== $step ==="
    start=$SECONDS
    declare -F "step_$step" >/dev/null || die "no step '$step' (steps: qt5 qt6 package metadata sanitizers fuzz windows)"
    "step_$step"
    summary+=("$step: passed in $((SECONDS - start)) s")
    echo "=== $step passed in $((SECONDS - start)) s ==="
done
echo "=== All steps passed"
printf '  %s\n' "${summary[@]}"
