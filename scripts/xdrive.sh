# SPDX-License-Identifier: MIT
# Drives the editor in a real window under Xvfb as a person would. Sourced by the tests that
# start programs under Xvfb and the screenshot and Windows scripts; needs xvfb, xdotool,
# imagemagick and xclip.
# Sourcing it makes `work`, a scratch folder, and `pids`, the processes to end: both go when
# the sourcing script exits.

work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work" || true' EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/editor.log" ] && cat "$work/editor.log" >&2
    [ -f "$work/screen.png" ] && cp "$work/screen.png" "${TMPDIR:-/tmp}/quarl-real-window-failure.png"
    exit 1
}

# Polls a command until it succeeds, for at most 20 seconds.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 1 200); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    fail "timed out waiting for $what"
}

start_xvfb() {
    # An X server started for the test already (xvfb-run, in the package's tests).
    if [ -n "${QUARL_TEST_DISPLAY:-}" ]; then
        export DISPLAY=$QUARL_TEST_DISPLAY
        unset QT_QPA_PLATFORM
        wait_for "the X server" xdotool getdisplaygeometry
        return 0
    fi
    # Xvfb picks a free display itself and writes its number once it accepts clients.
    # -noreset: a server that resets when the last client leaves refuses the next for a moment.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    pids+=($!)
    wait_for "the X server" grep -q '[0-9]' "$work/display"
    export DISPLAY=":$(tr -dc '0-9' <"$work/display")"
    unset QT_QPA_PLATFORM
    wait_for "the X server" xdotool getdisplaygeometry
}

screenshot() { import -window root "$work/screen.png"; }

# The first pixel of a colour on screen, as "x y".
find_colour() {
    screenshot
    convert "$work/screen.png" txt:- | grep -m1 -i "#$1" | sed -E 's/^([0-9]+),([0-9]+):.*/\1 \2/'
}

pixel() {
    convert "$work/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- | grep -o -m1 -i '#[0-9a-f]\{6\}' |
        tr 'a-f' 'A-F'
}

click() { xdotool mousemove "$1" "$2" click 1; }

# Starts the editor and finds it: (bx, by) is the canvas's top-left pixel on screen, found by
# the map area's background colour; the client area lies 10 pixels left of it and 90 above.
start_editor() {
    "$1" >"$work/editor.log" 2>&1 &
    editor_pid=$!
    pids+=("$editor_pid")
    wait_for "the window" xdotool search --onlyvisible --name '^Quarl editor$'
    wait_for "the map area" eval '[ -n "$(find_colour 2B3A55)" ]'
    read -r bx by < <(find_colour 2B3A55)
    cx=$((bx - 10))
    cy=$((by - 90))
}

# Asks the editor's window to close, as a window manager's close button does (with
# WM_DELETE_WINDOW), and waits for the editor to end, which it must with status 0.
close_editor() {
    # Debian's Python, which python3-xlib is installed for.
    /usr/bin/python3 - "$(xdotool search --onlyvisible --name '^Quarl editor$' | head -1)" <<'EOF'
import sys
from Xlib import X, display, protocol
screen = display.Display()
window = screen.create_resource_object("window", int(sys.argv[1]))
delete = screen.intern_atom("WM_DELETE_WINDOW")
window.send_event(protocol.event.ClientMessage(
    window=window, client_type=screen.intern_atom("WM_PROTOCOLS"),
    data=(32, [delete, X.CurrentTime, 0, 0, 0])), event_mask=X.NoEventMask)
screen.flush()
EOF
    wait_for "the editor to end" bash -c "! kill -0 $editor_pid"
    wait "$editor_pid" || fail "the editor exited with $?"
}

status_text() {
    click $((cx + 100)) $((cy + 9))
    xdotool key --clearmodifiers ctrl+a ctrl+c
    timeout 2 xclip -o -selection clipboard 2>/dev/null
}
status_is() { [ "$(status_text)" = "$1" ]; }

# The n-th item of the File menu.
file_menu_item() {
    click $((cx + 12)) $((cy - 8))
    wait_for "the File menu" bash -c "xdotool search --onlyvisible --class quarl-editor | wc -l | grep -qv '^1$'"
    for _ in $(seq 1 "$1"); do xdotool key Down; done
    xdotool key Return
}

# A path as the open dialog takes it: Wine's Windows dialog wants its drive Z: for the root.
dialog_path() {
    if [ -n "${QUARL_WINDOWS_PATHS:-}" ]; then
        local path=${1//\//\\}
        echo "Z:$path"
    else
        echo "$1"
    fi
}

load_map() {
    file_menu_item 1
    wait_for "the open dialog" xdotool search --onlyvisible --name '^Load Map$'
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Load Map$' | head -1)" || true
    # A busy machine may show the dialog before its name box takes keys: type until the box
    # holds the whole path.
    wait_for "the path in the open dialog" type_path "$(dialog_path "$1")"
    xdotool key Return
}

# Home and Shift+End select the whole box, in Qt's boxes and in Windows' own, which take no
# Ctrl+A.
type_path() {
    xdotool key --clearmodifiers End shift+Home
    xdotool type --delay 5 "$1"
    xdotool key --clearmodifiers End shift+Home ctrl+c
    [ "$(timeout 2 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]
}
