#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package zanora_<version>_<arch>.deb with cpack from a build folder (build/
# unless named; configured and built first if need be) and checks it:
#   - each manual page in dist/man/ renders without a warning from man or groff, names the
#     program's version, and documents every option the program's --help lists;
#   - the bash completion offers every one of those options;
#   - dist/changelog parses and its latest entry is the package's version;
#   - lintian finds no error and no warning (its informational tags are printed).
# Any fault ends the script with exit code 1. Install the package with:
#   sudo apt-get install ./build/zanora_*.deb
cd "$(dirname "$0")/.."
source scripts/lib/common.sh
build=${1:-build}

install_missing cmake dpkg-dev lintian man-db groff-base gzip

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"

version=$("$build/zanora" --version | sed -n 's/^zanora //p')
[ -n "$version" ] || die "$build/zanora --version names no version"

# The long options a program's --help lists, one a line.
options_of() {
    "$@" --help | sed -n -E 's/^  +(-[A-Za-z], )?(--[a-z][a-z-]*).*/\2/p'
}

# check_page PAGE PROGRAM...: the page renders cleanly (as lintian renders it) and has an entry
# for every option of PROGRAM (the entry's first line starts with the option, as .TP sets it).
check_page() {
    local page=$1 rendered warnings option
    shift
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 \
        > /dev/null)
    warnings+=$(groff -ww -man -z "$page" 2>&1 | sed 's/^/\n/')
    [ -z "$warnings" ] || die "$page: man or groff warns: $warnings"
    grep -q "^\.TH [^ ]* 1 \"[^\"]*\" \"Zanora $version\"" "$page" ||
        die "$page: its .TH line does not name Zanora $version"
    [ $# -gt 0 ] || return 0
    rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2> /dev/null)
    for option in $(options_of "$@"); do
        grep -q -E "^ {7}(-[A-Za-z], )?$option( |,|$)" <<< "$rendered" ||
            die "$page: no entry for $option, which $* --help lists"
    done
}
check_page dist/man/zanora.1 "$build/zanora"
check_page dist/man/zanora-adserver.1 "$build/tools/adserver"
check_page dist/man/zanora-desktop.1

for option in $(options_of "$build/zanora") $(options_of "$build/tools/adserver"); do
    grep -q -E -- "(^|[ '\"])$option([ '\"]|$)" dist/completion/zanora ||
        die "dist/completion/zanora does not offer $option"
done

changelog_version=$(dpkg-parsechangelog -l dist/changelog -S Version) ||
    die "dist/changelog does not parse"
[ "$changelog_version" = "$version" ] ||
    die "dist/changelog: the latest entry is $changelog_version, the package $version"

rm -f "$build"/zanora_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/zanora_*.deb)

dpkg-deb --field "$deb" Depends Recommends
# lintian refuses to run as root without --allow-root. Informational tags are shown; an error or
# a warning fails the package.
report=$(lintian --allow-root --display-info "$deb" 2>&1) || true
[ -z "$report" ] || echo "$report"
if grep -q -E '^[EW]: ' <<< "$report"; then
    die "lintian finds errors or warnings in $deb"
fi
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB), lintian: no errors, no warnings"
