#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts Zanora in a working folder of its own (run/).
# Without a display it runs the program under Xvfb, saves a screenshot of the window to
# run/zanora-screenshot.png and exits.
cd "$(dirname "$0")/.."
top=$(pwd)
source scripts/lib/common.sh
source scripts/lib/adserver.sh
scripts/setup.sh

mkdir -p run
cd run
[ -f myTitle.png ] || cp "$top/tools/demo/myTitle.png" .

trap '[ -n "${adserver_pid:-}" ] && kill "$adserver_pid" 2>/dev/null || true' EXIT
# Start the program only once the server listens, or it would start without the ad set.
if start_adserver adserver.log "$top/build/tools/adserver" --port "${ZANORA_DEMO_PORT:-47123}" \
    --ads "$top/tools/demo/ads"; then
    write_server_config . "$adserver_port"
else
    echo "The demo ad server did not start (see run/adserver.log); the tiles show the stored ads."
fi

if [ -n "${DISPLAY:-}" ]; then
    "$top/build/zanora"
    exit 0
fi

shot="$top/run/zanora-screenshot.png"
xvfb-run -a -s "-screen 0 1280x960x24" bash -c '
    "$1/build/zanora" &
    app=$!
    wid=$(timeout 60 xdotool search --sync --name "^Zanora V3.1$" | head -n 1)
    sleep 1.5
    import -window "$wid" "$2"
    kill $app
    wait $app 2>/dev/null || true
' _ "$top" "$shot" || die "the program did not show its window under Xvfb"
echo "Screenshot of the window: $shot"
