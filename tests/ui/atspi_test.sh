#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts an X server and a private session bus with the accessibility bus switched on, as a
# desktop with a screen reader has it, and reads the editor through AT-SPI (atspi_test.py).
# Usage: atspi_test.sh EDITOR MAPGEN
set -euo pipefail
editor=$1
mapgen=$2

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"

"$mapgen" "$work/access.map" 30 12 --pattern random --seed 9
start_xvfb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Setting IsEnabled starts the accessibility bus and tells applications a screen reader is on.
dbus-run-session -- bash -c '
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
        variant:boolean:true >/dev/null
    exec /usr/bin/python3 "$0" "$@"' \
    "$(dirname "${BASH_SOURCE[0]}")/atspi_test.py" "$editor" "$work/access.map" 30 12
