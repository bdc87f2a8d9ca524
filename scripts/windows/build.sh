# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh: the cross build, Wine, and the whole suite under Wine.

wine_env() {
    export WINEPREFIX=${ZANORA_WINEPREFIX:-$cache/wine-prefix}
    export WINEDEBUG=-all
    # No Mono or Gecko download prompt, and no menu entries in the real desktop for the
    # shortcuts an installer makes inside the prefix.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINELOADER=/usr/lib/wine/wine64
    export ZANORA_WINEPREFIX=$WINEPREFIX ZANORA_QT_WIN=$qt_win
    wine=/usr/lib/wine/wine64
}

# Wine makes its prefix (a few seconds, once) before the first program runs under it.
wine_prefix() {
    wine_env
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Making the Wine prefix $WINEPREFIX"
        "$wine" wineboot --init >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w
    fi
}

cross_build() {
    local t0=$SECONDS
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DZANORA_QT_WIN="$qt_win" -DCMAKE_BUILD_TYPE=Release >/dev/null ||
        die "configuring the cross build in $build failed"
    nice -n 10 cmake --build "$build" -j"$(nproc)" || die "the cross build in $build failed"
    # The Windows Qt has no lrelease: the host's turns the texts into the same .qm files.
    mkdir -p "$build/translations"
    local ts
    for ts in "$top"/translations/*.ts; do
        /usr/lib/qt5/bin/lrelease -silent "$ts" -qm "$build/translations/$(basename "${ts%.ts}").qm" ||
            die "lrelease failed on $ts"
    done
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
    [ "$status" -eq 0 ] || die "the suite failed under Wine (see $build/ctest-wine.log)"
}
