#!/usr/bin/env bash
# The Windows build, made on Debian 12 with mingw-w64 and tested under Wine.
#
#   scripts/windows.sh [--test]   install what is missing, build Qt for Windows (once), cross-build
#                                 the project into build-win/ and run its tests under Wine (ctest)
#   scripts/windows.sh --qt       only install what is missing and build Qt for Windows
#   scripts/windows.sh --build    as --test, without running the tests
#   scripts/windows.sh --package  as --build, then build-win/zanora-<version>-win64.zip, and start
#                                 the unpacked zip under Wine and Xvfb with WINEPATH unset,
#                                 filled from the demo ad set; screenshot in build-win/
#
# Qt 5.15 qtbase for Windows is built from Debian's own source package (apt-get source, through a
# deb-src entry this script adds and removes again) into a cache folder that later runs reuse:
#   ${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}/qt5-win64
# Building it takes 10 to 20 minutes on two idle cores; an interrupted build goes on where it
# stopped. To build it anew, remove the cache folder:
#   rm -rf "${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}"
# The build folder is ${ZANORA_WIN_BUILD:-build-win} inside the source tree.
cd "$(dirname "$0")/.."
top=$(pwd)
source scripts/lib/common.sh

cache=${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}
qt_win=$cache/qt5-win64
build=${ZANORA_WIN_BUILD:-$top/build-win}
case "$build" in /*) ;; *) build=$top/$build ;; esac

mode=${1:---test}
case "$mode" in
--qt | --build | --test | --package) ;;
-h | --help)
    sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 0
    ;;
*)
    echo "Unknown option: $mode (see $0 --help)" >&2
    exit 2
    ;;
esac

windows_packages=(cmake make g++ qtbase5-dev qtbase5-dev-tools g++-mingw-w64-x86-64-posix
    wine wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei dpkg-dev zip unzip zstd)

# Builds qtbase for Windows into $qt_win unless a complete build is already there.
build_qt() {
    if [ -f "$qt_win/.zanora-complete" ]; then
        echo "Qt for Windows: $qt_win ($(cat "$qt_win/.zanora-complete"))"
        return
    fi
    local log=$cache/qt5-win64-build.log
    local src=""
    # On a fresh machine the cache folder does not exist yet.
    [ -d "$cache/src" ] && src=$(find "$cache/src" -mindepth 1 -maxdepth 1 -type d \
        -name 'qtbase-opensource-src-*' | head -n 1)
    local configured=""
    [ -n "$src" ] && [ -f "$cache/src/configured" ] && configured=$(cat "$cache/src/configured")
    if [ -n "$configured" ]; then
        # An interrupted build goes on where it stopped.
        echo "Resuming the Qt build in $src (log: $log)"
    else
        rm -rf "$qt_win" "$cache/src"
        mkdir -p "$cache/src"
        : >"$log"
        echo "Building Qt for Windows into $qt_win (log: $log)"
        fetch_qt_source
        src=$(find "$cache/src" -mindepth 1 -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -n 1)
        [ -n "$src" ] || { echo "apt-get source gave no source folder (see $log)" >&2; exit 1; }

        # The Windows tablet feature needs wintab headers the Debian tarball does not carry.
        local t0=$SECONDS
        (cd "$src" && nice -n 15 ./configure -prefix "$qt_win" \
            -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
            -opensource -confirm-license -release -shared -nomake examples -nomake tests \
            -no-opengl -no-dbus -no-icu -no-direct2d -no-vulkan \
            -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz \
            -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-printer \
            -no-feature-tabletevent) >>"$log" 2>&1 ||
            { echo "Qt configure failed (see $log)" >&2; exit 1; }
        configured="configure $((SECONDS - t0)) s"
        echo "$configured" >"$cache/src/configured"
    fi
    local version=${src##*/qtbase-opensource-src-}
    local t1=$SECONDS
    (cd "$src" && nice -n 15 make -j2) >>"$log" 2>&1 ||
        { echo "Qt build failed (see $log)" >&2; exit 1; }
    local t2=$SECONDS
    (cd "$src" && make install) >>"$log" 2>&1 ||
        { echo "Qt install failed (see $log)" >&2; exit 1; }
    local t3=$SECONDS
    rm -rf "$cache/src"
    local summary="qtbase $version; $configured, make $((t2 - t1)) s, install $((t3 - t2)) s"
    echo "$summary" >"$qt_win/.zanora-complete"
    echo "Qt for Windows built: $summary; $(du -sh "$qt_win" | cut -f1) in $qt_win"
}

# Debian's source package, through a deb-src entry that lives only as long as this step.
fetch_qt_source() {
    local entry=/etc/apt/sources.list.d/zanora-windows-src.list
    local mirror
    mirror=$(grep -hoE '^URIs: *http[^ ]*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null |
        head -n 1 | sed 's/^URIs: *//')
    [ -n "$mirror" ] || mirror=$(grep -hoE '^deb +http[^ ]*debian/? ' /etc/apt/sources.list 2>/dev/null |
        head -n 1 | awk '{print $2}')
    [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
    trap '$sudo rm -f "'"$entry"'"' EXIT
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" |
        $sudo tee "$entry" >/dev/null
    apt_get update
    (cd "$cache/src" && apt-get source qtbase-opensource-src) >>"$log" 2>&1 ||
        { echo "apt-get source qtbase-opensource-src failed (see $log)" >&2; exit 1; }
    $sudo rm -f "$entry"
    trap - EXIT
}

install_missing "${windows_packages[@]}"
build_qt
[ "$mode" = --qt ] && exit 0

wine_env() {
    export WINEPREFIX=${ZANORA_WINEPREFIX:-$cache/wine-prefix}
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES=mscoree,mshtml=
    export WINELOADER=/usr/lib/wine/wine64
    export ZANORA_WINEPREFIX=$WINEPREFIX ZANORA_QT_WIN=$qt_win
}

# Wine makes its prefix (a few seconds, once) before the first program runs under it.
wine_prefix() {
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the Wine prefix $WINEPREFIX"
        /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w
    fi
}

cross_build() {
    local t0=$SECONDS
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DZANORA_QT_WIN="$qt_win" -DCMAKE_BUILD_TYPE=Release >/dev/null
    nice -n 10 cmake --build "$build" -j2
    echo "Project cross-built in $((SECONDS - t0)) s: $build"
}

# The whole suite under Wine through CTest, then each test program's QTest totals.
run_tests() {
    wine_prefix
    local t0=$SECONDS status=0
    # The tests draw offscreen, but without a display Wine cannot make the hidden windows Qt's
    # event loop needs in every thread, so the suite runs under Xvfb.
    (cd "$build" && QT_QPA_PLATFORM=offscreen xvfb-run -a ctest --output-on-failure --timeout 900) \
        >"$build/ctest-wine.log" 2>&1 || status=$?
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    echo "Windows test programs under Wine ($((SECONDS - t0)) s; full log: $build/ctest-wine.log):"
    awk '/^ *[0-9]+\/[0-9]+ Test +#/ { result = $0; sub(/.*\.\.\.+ */, "", result); outcome[$4] = result }
         /^[0-9]+\/[0-9]+ Testing: / { name = $3 }
         /^Totals:/ { totals[name] = $0 }
         END { for (n in outcome) printf "  %-18s %-20s %s\n", n, outcome[n], totals[n] }' \
        "$build/ctest-wine.log" "$build/Testing/Temporary/LastTest.log" | sort
    grep -E '^[0-9]+% tests passed' "$build/ctest-wine.log" || true
    return $status
}

# The portable zip: the two programs, the Qt and mingw-w64 runtime DLLs they load, the plugins
# they need, a qt.conf that keeps Qt to the folder, and a README.
package() {
    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    local name=zanora-$version-win64
    local stage=$build/package/$name
    rm -rf "$build/package" "$build/$name.zip"
    mkdir -p "$stage"/{platforms,imageformats,styles}
    cp "$build/zanora.exe" "$stage/"
    cp "$build/tools/adserver.exe" "$stage/zanora-adserver.exe"
    cp "$qt_win/plugins/platforms/qwindows.dll" "$stage/platforms/"
    # PNG and BMP are built into Qt GUI; JPEG and GIF come as plugins.
    cp "$qt_win/plugins/imageformats/"{qjpeg,qgif,qico}.dll "$stage/imageformats/"
    cp "$qt_win/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

    # Every DLL these load that is not part of Windows, found in the Qt or mingw-w64 folders.
    local dirs=("$qt_win/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
        "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
    local queue=("$stage"/*.exe "$stage"/*/*.dll) file dll dir
    while [ ${#queue[@]} -gt 0 ]; do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
            [ -f "$stage/$dll" ] && continue
            for dir in "${dirs[@]}"; do
                if [ -f "$dir/$dll" ]; then
                    cp "$dir/$dll" "$stage/"
                    queue+=("$stage/$dll")
                    break
                fi
            done
        done
    done
    printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\n' >"$stage/qt.conf"
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$top/cmake/windows-readme.txt" >"$stage/README.txt"
    (cd "$build/package" && zip -q -r -9 "$build/$name.zip" "$name")
    echo "Package: $build/$name.zip ($(du -h "$build/$name.zip" | cut -f1), unpacked $(du -sh "$stage" | cut -f1))"
    (cd "$build/package" && find "$name" -type f | sort | sed 's/^/  /')
}

# Starts the unpacked zip under Wine on Xvfb with WINEPATH unset, filled from the demo ad set
# by the zip's own ad server on a loopback port, and saves a screenshot of the screen.
smoke_package() {
    wine_prefix
    local version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    local smoke=$build/smoke
    rm -rf "$smoke"
    mkdir -p "$smoke/run"
    (cd "$smoke" && unzip -q "$build/zanora-$version-win64.zip")
    local app=$smoke/zanora-$version-win64
    cp "$top/tools/demo/myTitle.png" "$smoke/run/"
    local port=${ZANORA_DEMO_PORT:-47124}
    printf '{\n    "HostIP": "127.0.0.1",\n    "HostPORT": %s\n}\n' "$port" >"$smoke/run/config.json"
    local ads="Z:${top//\//\\}\\tools\\demo\\ads"
    local shot=$build/zanora-win64-screenshot.png
    (cd "$smoke/run" && env -u WINEPATH xvfb-run -a -s "-screen 0 1280x960x24" bash -c '
        wine=/usr/lib/wine/wine64
        "$wine" "$1/zanora-adserver.exe" --port "$2" --ads "$3" >adserver.log 2>&1 &
        server=$!
        for _ in $(seq 300); do
            grep -q "Listening on" adserver.log 2>/dev/null && break
            sleep 0.2
        done
        "$wine" "$1/zanora.exe" >zanora.log 2>&1 &
        app=$!
        wid=$(timeout 120 xdotool search --sync --name "^Zanora" | head -n 1)
        sleep 5
        import -window root "$4"
        [ -n "$wid" ] && echo "Window: $(xdotool getwindowname "$wid")"
        kill $app $server 2>/dev/null
        /usr/lib/wine/wineserver -k 2>/dev/null
        wait 2>/dev/null
        true
    ' _ "$app" "$port" "$ads" "$shot")
    echo "Screenshot of the unpacked zip running under Wine: $shot"
}

cross_build
case "$mode" in
--test) run_tests ;;
--package)
    package
    smoke_package
    ;;
esac
