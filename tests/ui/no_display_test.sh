#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Started with no display and no platform chosen, the editor says in one line that it needs a
# desktop or a virtual display and how to start it under xvfb-run, and exits with status 1.
# Usage: no_display_test.sh EDITOR
set -uo pipefail
editor=$1
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$editor" 2>&1 </dev/null)
status=$?
echo "exit status $status: $output"
[ "$status" -eq 1 ] || { echo "FAIL: exit status $status, not 1"; exit 1; }
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || { echo "FAIL: not one line"; exit 1; }
grep -q 'desktop or a virtual display' <<<"$output" && grep -q 'xvfb-run -a quarl-editor' <<<"$output" ||
    { echo "FAIL: the line does not say what the editor needs"; exit 1; }
echo "no-display test passed"
