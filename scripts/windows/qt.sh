# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh: Qt 5.15 qtbase for Windows, built once from Debian's own source
# package into $qt_win (the cache), with its licence texts and the name of the source it came from.

# Builds qtbase for Windows into $qt_win unless a complete build is already there.
build_qt() {
    if [ -f "$qt_win/.zanora-complete" ]; then
        echo "Qt for Windows: $qt_win ($(cat "$qt_win/.zanora-complete"))"
        return
    fi
    mkdir -p "$cache"
    local log=$cache/qt5-win64-build.log
    local src="" configured=""
    # On a fresh machine the cache holds no source folder yet.
    [ -d "$cache/src" ] && src=$(find "$cache/src" -mindepth 1 -maxdepth 1 -type d \
        -name 'qtbase-opensource-src-*' | head -n 1)
    [ -n "$src" ] && [ -f "$cache/src/configured" ] && configured=$(cat "$cache/src/configured")
    if [ -n "$configured" ]; then
        # An interrupted build goes on where it stopped.
        echo "Resuming the Qt build in $src (log: $log)"
    else
        rm -rf "$qt_win" "$cache/src"
        mkdir -p "$cache/src"
        : >"$log"
        echo "Building Qt for Windows into $qt_win (log: $log)"
        fetch_qt_source "$log"
        src=$(find "$cache/src" -mindepth 1 -maxdepth 1 -type d -name 'qtbase-opensource-src-*' |
            head -n 1)
        [ -n "$src" ] || die "apt-get source gave no source folder (see $log)"

        # The Windows tablet feature needs wintab headers the Debian tarball does not carry.
        local t0=$SECONDS
        (cd "$src" && nice -n 15 ./configure -prefix "$qt_win" \
            -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
            -opensource -confirm-license -release -shared -nomake examples -nomake tests \
            -no-opengl -no-dbus -no-icu -no-direct2d -no-vulkan \
            -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-freetype -qt-harfbuzz \
            -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-printer \
            -no-feature-tabletevent) >>"$log" 2>&1 || die "Qt configure failed (see $log)"
        configured="configure $((SECONDS - t0)) s"
        echo "$configured" >"$cache/src/configured"
    fi
    local version=${src##*/qtbase-opensource-src-}
    local t1=$SECONDS
    (cd "$src" && nice -n 15 make -j"$(nproc)") >>"$log" 2>&1 || die "Qt build failed (see $log)"
    local t2=$SECONDS
    (cd "$src" && make install) >>"$log" 2>&1 || die "Qt install failed (see $log)"
    local t3=$SECONDS
    # The licence texts and the exact source package go into the zip and the installer.
    mkdir -p "$qt_win/licenses"
    cp "$src"/LICENSE.* "$qt_win/licenses/"
    (cd "$cache/src" && ls ./*.dsc | sed 's|^\./||') >"$qt_win/licenses/SOURCE"
    rm -rf "$cache/src"
    local summary="qtbase $version; $configured, make $((t2 - t1)) s, install $((t3 - t2)) s"
    echo "$summary" >"$qt_win/.zanora-complete"
    echo "Qt for Windows built: $summary; $(du -sh "$qt_win" | cut -f1) in $qt_win"
}

# Debian's source package, through a deb-src entry that lives only as long as this step.
fetch_qt_source() {
    local log=$1 entry=/etc/apt/sources.list.d/zanora-windows-src.list mirror
    mirror=$(grep -hoE '^URIs: *http[^ ]*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null |
        head -n 1 | sed 's/^URIs: *//' || true)
    [ -n "$mirror" ] || mirror=$(grep -hoE '^deb +http[^ ]*debian/? ' /etc/apt/sources.list \
        2>/dev/null | head -n 1 | awk '{print $2}' || true)
    [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
    trap '$sudo rm -f "'"$entry"'"' EXIT
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" |
        $sudo tee "$entry" >/dev/null
    apt_get update -q >>"$log" 2>&1 || die "apt-get update with the deb-src entry failed (see $log)"
    (cd "$cache/src" && apt-get source qtbase-opensource-src) >>"$log" 2>&1 ||
        die "apt-get source qtbase-opensource-src failed (see $log)"
    $sudo rm -f "$entry"
    trap - EXIT
}
