# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by every script: strict mode, a one-line message for any command that fails, and one
# way to install Debian packages that are missing.
set -euo pipefail

# A failing command ends the script with one line that names the script, the line and the command.
zanora_script=${zanora_script:-$(basename "$0")}
trap 'status=$?; [ "$BASH_SUBSHELL" -eq 0 ] && echo "$zanora_script: failed (exit $status) at line $LINENO: $BASH_COMMAND" >&2; exit $status' ERR
set -o errtrace

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

# apt is shared with whatever else runs on the machine: wait up to 15 minutes for its lock.
apt_get() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 "$@"
}

# install_missing PACKAGE... installs those of the packages that are not installed yet.
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "Installing: ${missing[*]}"
    apt_get update -q || { echo "$zanora_script: apt-get update failed" >&2; return 1; }
    apt_get install -y -q --no-install-recommends "${missing[@]}" ||
        { echo "$zanora_script: could not install ${missing[*]}" >&2; return 1; }
}

# die MESSAGE: the one line, then exit 1.
die() {
    echo "$zanora_script: $*" >&2
    exit 1
}
