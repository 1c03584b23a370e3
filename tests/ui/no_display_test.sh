#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Each way of choosing where the window goes, one row each: with nowhere to show its window
# (nothing chosen, an X display or a Wayland socket that does not answer) the editor says in
# one line that it needs a desktop or a virtual display and how to start it under xvfb-run, and
# exits with status 1; with a display that answers or a Qt platform chosen, it starts (and is
# still running when the row's time is up).
# Usage: no_display_test.sh EDITOR
set -uo pipefail
editor=$1

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"
start_xvfb
live=$DISPLAY

failures=0
row() {
    local what=$1 expect=$2
    shift 2
    local output status
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work" \
        timeout 3 "$@" 2>&1 </dev/null)
    status=$?
    if [ "$expect" = starts ]; then
        if [ "$status" -eq 124 ] && ! grep -q 'virtual display' <<<"$output"; then
            echo "ok: $what: started"
            return
        fi
    elif [ "$status" -eq 1 ] && [ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] &&
        grep -q 'desktop or a virtual display' <<<"$output" &&
        grep -q 'xvfb-run -a quarl-editor' <<<"$output"; then
        echo "ok: $what: said so in one line and exited with 1"
        return
    fi
    echo "FAIL: $what: expected it to $expect, got status $status: $output"
    failures=$((failures + 1))
}

row "nothing chosen" refuses "$editor"
row "DISPLAY of a live X server" starts env DISPLAY="$live" "$editor"
row "DISPLAY of no X server" refuses env DISPLAY=:97 "$editor"
row "WAYLAND_DISPLAY without a socket" refuses env WAYLAND_DISPLAY=wayland-9 "$editor"
row "QT_QPA_PLATFORM" starts env QT_QPA_PLATFORM=offscreen "$editor"
row "-platform NAME" starts "$editor" -platform offscreen
[ "$failures" -eq 0 ] || exit 1
echo "no-display test passed"
