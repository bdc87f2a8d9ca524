# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced: the stand-in ad server for a demo or a test start of the program.
#
#   start_adserver LOG COMMAND...   starts COMMAND (the ad server with its --port and --ads) in the
#                                   background, waits until it listens, and sets adserver_pid and
#                                   adserver_port (the port it reports, so --port 0 works)
#   write_server_config FOLDER PORT writes FOLDER/config.json pointing the program at it
start_adserver() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    adserver_pid=$!
    adserver_port=""
    local _
    for _ in $(seq 600); do
        adserver_port=$(sed -n 's/^Listening on 127\.0\.0\.1:\([0-9]*\).*$/\1/p' "$log" 2>/dev/null |
            head -n 1)
        [ -n "$adserver_port" ] && return 0
        kill -0 "$adserver_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "${zanora_script:-adserver}: the ad server did not start (see $log)" >&2
    kill "$adserver_pid" 2>/dev/null || true
    adserver_pid=""
    return 1
}

write_server_config() {
    printf '{\n    "HostIP": "127.0.0.1",\n    "HostPORT": %s\n}\n' "$2" >"$1/config.json"
}
