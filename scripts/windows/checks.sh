# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh: the packaged program under Wine, as a Windows user meets it.
#   check_zip        the unpacked zip started with WINEPATH unset, filled from the demo ad set
#   check_console    zanora-cli.exe from cmd: --help, a --json run through paths of more than 300
#                    characters, a run that must exit 3
#   check_installer  in a fresh prefix: silent install, the Start-menu entry, the program started
#                    the way that entry starts it, silent uninstall

# An X server for the Wine programs, unless one is there already.
start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local n
    for n in $(seq 90 150); do [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 100); do
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    die "Xvfb did not start on $DISPLAY"
}

stop_display() {
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
}

unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# screenshot WINDOW-NAME-REGEX FILE: waits for the window, then saves the screen.
screenshot() {
    local wid
    wid=$(timeout 120 xdotool search --sync --onlyvisible --name "$1" | head -n 1) ||
        die "no window named '$1' appeared"
    sleep 4
    import -window root "$2"
    echo "Window: $(xdotool getwindowname "$wid"); screenshot $2"
}

check_zip() {
    wine_prefix
    local smoke=$build/smoke
    rm -rf "$smoke"
    mkdir -p "$smoke/run"
    (cd "$smoke" && unzip -q "$zip_file")
    local app=$smoke/$(basename "$stage")
    cp "$top/tools/demo/myTitle.png" "$smoke/run/"
    start_adserver "$smoke/run/adserver.log" env -u WINEPATH "$wine" "$app/zanora-adserver.exe" \
        --port "${ZANORA_DEMO_PORT:-47124}" --ads "$(windows_path "$top/tools/demo/ads")"
    write_server_config "$smoke/run" "$adserver_port"
    (cd "$smoke/run" && env -u WINEPATH "$wine" "$app/zanora.exe" >zanora.log 2>&1) &
    local app_pid=$!
    screenshot "^Zanora" "$build/zanora-win64-screenshot.png"
    kill "$app_pid" "$adserver_pid" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    # Not a bare wait: the X server is a child of this script too.
    wait "$app_pid" "$adserver_pid" 2>/dev/null || true
    ls "$smoke/run/GG/GG1.dat" >/dev/null || die "the zip's program did not store the ad set"
}

# cli_run EXPECTED-CODE OUTPUT ARGS...: zanora-cli.exe through cmd, as a user types it.
cli_run() {
    local expected=$1 output=$2 code=0
    shift 2
    # Wine's display language would choose the texts; the checks read the English ones.
    (cd "$console" && env -u WINEPATH ZANORA_LANG=en "$wine" cmd /c "$cli" "$@" >"$output" \
        2>"$output.err") ||
        code=$?
    [ "$code" -eq "$expected" ] ||
        die "zanora-cli.exe $* exited with $code, not $expected (see $output, $output.err)"
}

check_console() {
    wine_prefix
    console=$build/console
    rm -rf "$console"
    mkdir -p "$console"
    cli=$(windows_path "$stage/zanora-cli.exe")
    [ "$(x86_64-w64-mingw32-objdump -p "$stage/zanora-cli.exe" | sed -n 's/^Subsystem\s*//p')" = \
        "00000003	(Windows CUI)" ] || die "zanora-cli.exe is not a console program"

    cli_run 0 "$console/help.txt" --help
    grep -q -- "--stop-if-missing" "$console/help.txt" || die "zanora-cli.exe --help lists no options"

    # A studio tree deeper than MAX_PATH: customer, date, event, sub-selection.
    local deep=客户_张三_李四婚礼_2026年12月07日
    local i
    for i in 1 2 3 4 5 6; do deep+="/第${i}部分_精选_Selection-Number-${i}_ABCDEFGHIJKLMNOPQRSTUVWXYZ"; done
    mkdir -p "$console/tree/small/$deep" "$console/tree/big/$deep"
    printf 'pick' >"$console/tree/small/$deep/IMG_0012_small.jpg"
    printf 'pick' >"$console/tree/small/IMG_0099_small.jpg"
    head -c 100000 /dev/urandom >"$console/tree/big/$deep/IMG_0012.CR2"
    local long=$(windows_path "$console/tree/big/$deep/IMG_0012.CR2")
    [ ${#long} -gt 300 ] || die "the long-path tree is only ${#long} characters deep"

    local small big out
    small=$(windows_path "$console/tree/small") big=$(windows_path "$console/tree/big")
    out=$(windows_path "$console/tree/out")
    cli_run 0 "$console/run.json" --json --quiet --classified --small "$small" --big "$big" --out "$out"
    grep -q '"copied": *1' "$console/run.json" || die "the --json run did not copy 1 file (see $console/run.json)"
    cmp -s "$console/tree/big/$deep/IMG_0012.CR2" "$console/tree/out/$deep/IMG_0012.CR2" ||
        die "the copy through a ${#long}-character path differs from its original"

    cli_run 3 "$console/stop.txt" --stop-if-missing --small "$small" --big "$big" --out "$out"
    grep -q "no original for" "$console/stop.txt.err" || die "the run that stops does not name the missing pick"
    echo "Console: zanora-cli.exe --help, --json through a ${#long}-character path, exit code 3: passed"
}

check_installer() {
    local test=$build/install-test
    rm -rf "$test"
    mkdir -p "$test"
    # A prefix of its own, as on a machine that never saw Zanora.
    local saved_prefix=${ZANORA_WINEPREFIX:-}
    ZANORA_WINEPREFIX=$test/prefix wine_prefix
    "$wine" "$(windows_path "$setup_file")" /S
    /usr/lib/wine/wineserver -w

    local local_app_data app_data
    local_app_data=$(unix_path "$("$wine" cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
    app_data=$(unix_path "$("$wine" cmd /c echo %APPDATA% | tr -d '\r')")
    local installed=$local_app_data/Programs/Zanora
    local entry="$app_data/Microsoft/Windows/Start Menu/Programs/Zanora.lnk"
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zanora'
    [ -f "$installed/zanora.exe" ] && [ -f "$installed/zanora-cli.exe" ] &&
        [ -f "$installed/uninstall.exe" ] || die "the silent install put no program in $installed"
    [ -f "$entry" ] || die "the silent install made no Start-menu entry ($entry)"
    [ -d "$local_app_data/Zanora" ] || die "the silent install made no working folder"
    "$wine" reg query "$key" >"$test/uninstall-key.txt" 2>&1 || die "no uninstall entry $key"
    local value
    for value in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString \
        QuietUninstallString; do
        grep -q "$value" "$test/uninstall-key.txt" || die "the uninstall entry has no $value"
    done

    # The Start-menu entry itself, started through the shell: it runs in the working folder, so
    # the ad set from the server lands there.
    local work=$local_app_data/Zanora
    cp "$top/tools/demo/myTitle.png" "$work/"
    start_adserver "$test/adserver.log" "$wine" "$installed/zanora-adserver.exe" \
        --port "${ZANORA_DEMO_PORT:-47125}" --ads "$(windows_path "$top/tools/demo/ads")"
    write_server_config "$work" "$adserver_port"
    "$wine" start /unix "$entry" >/dev/null 2>&1
    screenshot "^Zanora" "$build/zanora-installed-screenshot.png"
    for _ in $(seq 100); do [ -f "$work/GG/GG1.dat" ] && break; sleep 0.2; done
    [ -f "$work/GG/GG1.dat" ] || die "the program started from the Start menu did not work in $work"
    kill "$adserver_pid" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    wait "$adserver_pid" 2>/dev/null || true

    "$wine" "$installed/uninstall.exe" /S
    /usr/lib/wine/wineserver -w
    local left
    left=$(find "$installed" 2>/dev/null | head -n 5 || true)
    [ -z "$left" ] || die "the silent uninstall left $left"
    [ ! -e "$entry" ] || die "the silent uninstall left the Start-menu entry"
    if "$wine" reg query "$key" >/dev/null 2>&1; then die "the silent uninstall left $key"; fi
    [ -f "$work/config.json" ] || die "the uninstall removed the user's working folder"
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    ZANORA_WINEPREFIX=$saved_prefix
    [ -n "$saved_prefix" ] || unset ZANORA_WINEPREFIX
    wine_env
    echo "Installer: silent install, Start-menu start, silent uninstall in a fresh prefix: passed"
}
