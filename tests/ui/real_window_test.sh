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

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"
start_xvfb

expect_pixel() {
    local got
    got=$(pixel "$1" "$2")
    [ "$got" = "#$3" ] || fail "pixel ($1, $2) is $got, expected #$3 ($4)"
}

# A 10 x 5 map: tile (1, 1) of type 5, tile (2, 1) of type 2, all else 0, directions 0.
map="$work/real.map"
"$mapgen" "$map" 10 5 --pattern zero --trailing 5
printf '\x05' | dd of="$map" bs=1 seek=8 conv=notrunc status=none
printf '\x02' | dd of="$map" bs=1 seek=31 conv=notrunc status=none
cp "$map" "$work/original.map"

start_editor "$editor"
load_map "$map"
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

file_menu_item 2
wait_for "the save status" status_is "Saved map as: real.map"

# Exactly one byte differs: the direction of record 12.
diffs=$(cmp -l "$work/original.map" "$map" | tr -s ' ' | sed 's/^ //' || true)
[ "$diffs" = "$((8 + 23 * 12 + 3 + 1)) 0 1" ] || fail "unexpected changes: $diffs"
[ "$(stat -c %s "$map")" = "$(stat -c %s "$work/original.map")" ] || fail "the file changed its size"
echo "real window test passed"
