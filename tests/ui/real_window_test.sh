#!/usr/bin/env bash
# The editor in a real window under Xvfb, driven as a person would: load a map through the
# menu and the open dialog, show it, set a direction with Space, save, and check the pixels
# on screen and the bytes of the file. Waits on conditions, never on fixed sleeps.
# Usage: real_window_test.sh EDITOR MAPGEN
set -euo pipefail
editor=$1
mapgen=$2

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
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

for n in $(seq 91 150); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=:$n; break; fi
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
wait_for "the X server" xdotool getdisplaygeometry
unset QT_QPA_PLATFORM

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
expect_pixel() {
    local got
    got=$(pixel "$1" "$2")
    [ "$got" = "#$3" ] || fail "pixel ($1, $2) is $got, expected #$3 ($4)"
}
click() { xdotool mousemove "$1" "$2" click 1; }
status_text() {
    click $((cx + 100)) $((cy + 9))
    xdotool key --clearmodifiers ctrl+a ctrl+c
    timeout 2 xclip -o -selection clipboard 2>/dev/null
}
status_is() { [ "$(status_text)" = "$1" ]; }
menu_item() {  # the n-th item of the File menu
    click $((cx + 12)) $((cy - 8))
    wait_for "the File menu" bash -c "xdotool search --onlyvisible --class quarl-editor | wc -l | grep -qv '^1$'"
    for _ in $(seq 1 "$1"); do xdotool key Down; done
    xdotool key Return
}

# A 10 x 5 map: tile (1, 1) of type 5, tile (2, 1) of type 2, all else 0, directions 0.
map="$work/real.map"
"$mapgen" "$map" 10 5 --pattern zero --trailing 5
printf '\x05' | dd of="$map" bs=1 seek=8 conv=notrunc status=none
printf '\x02' | dd of="$map" bs=1 seek=31 conv=notrunc status=none
cp "$map" "$work/original.map"

"$editor" >"$work/editor.log" 2>&1 &
pids+=($!)
wait_for "the window" xdotool search --onlyvisible --name '^Quarl editor$'

# The map area's background marks the canvas's top-left corner; the client area lies 10
# pixels left of it and 90 above (the map area's position and frame).
find_canvas() { [ -n "$(find_colour 2B3A55)" ]; }
wait_for "the map area" find_canvas
read -r bx by < <(find_colour 2B3A55)
cx=$((bx - 10))
cy=$((by - 90))

menu_item 1
wait_for "the open dialog" xdotool search --onlyvisible --name '^Load Map$'
dialog=$(xdotool search --onlyvisible --name '^Load Map$' | head -1)
xdotool windowfocus --sync "$dialog" || true
xdotool type --delay 5 "$map"
xdotool key Return
wait_for "the load status" status_is "Filesize: 1163  Mapsize: 10 X 5"

# Draw Type: cells of 99 x 117 pixels, marks at (49, 58) inside them.
click $((cx + 20)) $((cy + 40))
cell_shown() { screenshot && [ "$(pixel "$bx" "$by")" = "#F40100" ]; }
wait_for "the cells" cell_shown
expect_pixel $((bx + 98)) $((by + 116)) F40100 "type 5 is red 244, green 1"
expect_pixel $((bx + 99)) "$by" C80000 "type 2 is red 200"
expect_pixel "$bx" $((by + 117)) 000000 "type 0 is black"
expect_pixel $((bx + 49)) $((by + 58)) FF0000 "direction 0 is red"
expect_pixel $((bx + 50)) $((by + 58)) F40100 "the mark is one pixel"

# Direction 1 into tile (3, 2) with Space, over the map area.
click $((cx + 456 + 16)) $((cy + 58 + 9))
xdotool key --clearmodifiers ctrl+a
xdotool type "1"
xdotool mousemove --sync $((bx + 2 * 99 + 10)) $((by + 117 + 10))
xdotool mousemove --sync $((bx + 2 * 99 + 12)) $((by + 117 + 12))
xdotool key space
mark_shown() { screenshot && [ "$(pixel $((bx + 2 * 99 + 49)) $((by + 117 + 58)))" = "#0000FF" ]; }
wait_for "the blue mark" mark_shown

menu_item 2
wait_for "the save status" status_is "Saved map as: real.map"

# Exactly one byte differs: the direction of record 12.
diffs=$(cmp -l "$work/original.map" "$map" | tr -s ' ' | sed 's/^ //' || true)
[ "$diffs" = "$((8 + 23 * 12 + 3 + 1)) 0 1" ] || fail "unexpected changes: $diffs"
[ "$(stat -c %s "$map")" = "$(stat -c %s "$work/original.map")" ] || fail "the file changed its size"
echo "real window test passed"
