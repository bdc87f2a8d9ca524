#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the cross build under Wine: the cross-compiling emulator of
# cmake/mingw-w64-x86_64.cmake, so CTest runs every test program through it.
#
# - the Qt DLLs of the Windows Qt and the mingw-w64 runtime DLLs are found through WINEPATH;
# - Wine hands no variable that starts with QT_ to the program, but passes WINEQT_X on as QT_X:
#   every QT_ variable is passed on that way (QT_QPA_PLATFORM=offscreen in the tests);
# - QTest's console output does not come through Wine, so a test program (tst_*) writes its
#   results to a file, printed here once it ends; the exit code is the program's.
# Wine keeps its own prefix (ZANORA_WINEPREFIX, else WINEPREFIX, else one next to the Windows Qt).
set -uo pipefail

qt_win=${ZANORA_QT_WIN:-${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}/qt5-win64}
export WINEPREFIX=${ZANORA_WINEPREFIX:-${WINEPREFIX:-$(dirname "$qt_win")/wine-prefix}}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompt when Wine creates its prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
runtime_dirs=("$qt_win/bin")
gcc_dll=$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll 2>/dev/null)
[ -f "$gcc_dll" ] && runtime_dirs+=("$(dirname "$gcc_dll")")
pthread_dll=$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll 2>/dev/null)
[ -f "$pthread_dll" ] && runtime_dirs+=("$(dirname "$pthread_dll")")
winepath=""
for dir in "${runtime_dirs[@]}"; do
    winepath+="${winepath:+;}$(windows_path "$dir")"
done
export WINEPATH="$winepath${WINEPATH:+;$WINEPATH}"

# A Windows program takes a Unix path for one on the current drive, which a started process
# need not share: the build folder the tests are told of goes as a Z: path.
case "${ZANORA_BINARY_DIR:-}" in /*) export ZANORA_BINARY_DIR="$(windows_path "$ZANORA_BINARY_DIR")" ;; esac

while IFS='=' read -r name _; do
    case "$name" in QT_*) export "WINE$name=${!name}" ;; esac
done < <(env)

wine=/usr/lib/wine/wine64 # Debian's; its "wine" script asks for the 32-bit Wine too
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
export WINELOADER=${WINELOADER:-$wine}
program=$1
shift
case "$(basename "$program")" in
tst_*)
    results=$(mktemp --suffix=.txt)
    "$wine" "$program" "$@" -o "$(windows_path "$results"),txt"
    status=$?
    cat "$results"
    rm -f "$results"
    exit $status
    ;;
*)
    exec "$wine" "$program" "$@"
    ;;
esac
