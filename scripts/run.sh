#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zanora in a working folder of its own (run/).
# Without a display it runs the program under Xvfb, saves a screenshot of the window to
# run/zanora-screenshot.png and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/setup.sh

mkdir -p run
cd run
[ -f myTitle.png ] || cp "$top/tools/demo/myTitle.png" . 2>/dev/null || true

server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -x "$top/build/tools/adserver" ] && [ -d "$top/tools/demo/ads" ]; then
    port=${ZANORA_DEMO_PORT:-47123}
    "$top/build/tools/adserver" --port "$port" --ads "$top/tools/demo/ads" > adserver.log 2>&1 &
    server_pid=$!
    # Start the program only once the server listens, or it would start without the ad set.
    for _ in $(seq 100); do
        grep -q "Listening on" adserver.log 2>/dev/null && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    if grep -q "Listening on" adserver.log; then
        printf '{\n    "HostIP": "127.0.0.1",\n    "HostPORT": %s\n}\n' "$port" > config.json
    else
        echo "The demo ad server did not start (see run/adserver.log); the tiles show the stored ads."
        server_pid=""
    fi
fi

if [ -n "${DISPLAY:-}" ]; then
    "$top/build/zanora"
    exit 0
fi

shot="$top/run/zanora-screenshot.png"
xvfb-run -a -s "-screen 0 1280x960x24" bash -c '
    "$1/build/zanora" &
    app=$!
    wid=$(xdotool search --sync --name "^Zanora V3.1$" | head -n 1)
    sleep 1.5
    import -window "$wid" "$2"
    kill $app
    wait $app 2>/dev/null || true
' _ "$top" "$shot"
echo "Screenshot of the window: $shot"
