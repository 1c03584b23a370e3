#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What a Windows screen reader reads of the editor through UI Automation, as a client reads it:
# the Windows editor and a UI Automation client (uia_client.cpp) under Wine on one X server, and
# a session with the keyboard. Checks the tree (names, control types, automation ids), the Tab
# cycle, Tab into the map onto the tile of Column and Row with one focus event, the one element
# with the keyboard focus, the tile's words after Space, the status bar's text after Save Map, a
# tile painted by a click at the middle of its cell's rectangle; and the notifications, where the
# system's client takes them (Wine 10's takes none).
# Wine's client reads no patterns or values; UiaTest reads those from Qt's provider itself.
# Usage: uia_test.sh EDITOR CLIENT MAPGEN, each a command that runs the Windows program.
set -euo pipefail
editor=$1
client=$2
mapgen=$3

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"

"$mapgen" "$work/small.map" 12 8 --pattern zero
start_xvfb
start_editor "$editor"
log=$work/uia.log
mkfifo "$work/commands"
"$client" "Quarl editor" <"$work/commands" >"$log" 2>&1 &
pids+=($!)
exec 4>"$work/commands"
wait_for "the client" grep -q '^ready' "$log"
load_map "$work/small.map"
wait_for "the load's status" status_is "Filesize: 2216  Mapsize: 12 X 8"

# The tree as the client prints it, from the line "tree" on, without the events among its lines.
tree() {
    local from
    from=$(wc -l <"$log")
    echo tree >&4
    wait_for "the tree" bash -c "tail -n +$((from + 1)) '$log' | grep -q '^end of tree'"
    tail -n +$((from + 1)) "$log" | sed -n '/^tree /,/^end of tree/p' | grep -Ev '^(focus|name|notification) '
}
tree_has() { grep -q "$1" <<<"$(tree)"; }
focus_lines() { grep '^focus ' "$log" | cut -d'|' -f2; }
# Presses Tab and waits for the focus event it brings.
tab_to_next() {
    local count
    count=$(focus_lines | wc -l)
    xdotool key Tab
    wait_for "a focus event after Tab" bash -c "[ \$(grep -c '^focus ' '$log') -gt $count ]"
}

# --- The tree. The status bar's text is its child's name; of the 96 cells, the first. The status
# line has the focus, from the click that read it.
id=QApplication.quarl::ui::Quarl.QWidget
buttons=("Draw Type|CmdDrawType" "Draw Height|CmdDrawHeight" "Draw Objects|CmdDrawObject"
    "Draw Usage|CmdDrawUsable" "Draw Dir|CmdDrawDir" "Edit View|CmdEditView" "Draw Light|CmdDrawLight"
    "Scroll up|CmdUp" "Scroll left|CmdLeft" "Scroll right|CmdRight" "Scroll down|CmdDown"
    "Zoom in|CmdZoomIn" "Zoom out|CmdZoomOut")
boxes=("Value|TxtValue" "Edit value|TxtEdit" "Column|TxtX" "Row|TxtY" "Direction|TxtDir"
    "Edit direction|TxtEditDir")
{
    echo "tree 50032|Quarl editor|QApplication.quarl::ui::Quarl"
    echo "  50026||$id"
    for label in "Editdir|Label4" "dir|Label3" "Edit Value|Label2" "Value:|Label1"; do
        echo "    50020|${label%|*}|$id.${label#*|}"
    done
    echo "    50017|Status|$id.TxtStatus|focused"
    echo "      50020|Filesize: 2216  Mapsize: 12 X 8|$id.TxtStatus"
    for button in "${buttons[@]}"; do echo "    50000|${button%|*}|$id.${button#*|}"; done
    for box in "${boxes[@]}"; do echo "    50004|${box%|*}|$id.${box#*|}"; done
    echo "    50003|Ore|$id.EDITBOX"
    echo "    50003|Brush size|$id.SIZEBOX"
    echo "    50036|Map|$id.BUF"
    echo "      50029|column 1, row 1, direction 0|$id.BUF"
    echo "      cells 96"
    echo "  50010||QApplication.quarl::ui::Quarl.QMenuBar"
    for menu in File Options Help; do echo "    50011|$menu|QApplication.quarl::ui::Quarl.QMenuBar.QAction"; done
    echo "end of tree"
} >"$work/expected-tree"
tree >"$work/tree"
diff -u "$work/expected-tree" "$work/tree" >&2 || fail "the tree is not as expected"

# --- The Tab cycle, from the status line round to it again; with no tile in Column and Row,
# the map itself takes the focus.
cycle=()
while [ "${#cycle[@]}" -lt 30 ]; do
    tab_to_next
    cycle+=("$(focus_lines | tail -n 1)")
    [ "${cycle[-1]}" = Status ] && break
done
expected=()
for control in "${buttons[@]}" "${boxes[@]}" "Ore|" "Brush size|" "Map|" "Status|"; do
    expected+=("${control%|*}")
done
[ "${cycle[*]}" = "${expected[*]}" ] || fail "the Tab cycle is ${cycle[*]}"
echo "Tab cycle: ${cycle[*]}"

# --- Column 5, Row 3, Editdir 2 typed, Tab into the map: one focus event, on that tile's cell,
# which then alone has the keyboard focus.
for _ in $(seq 1 16); do tab_to_next; done
[ "$(focus_lines | tail -n 1)" = Column ] || fail "16 Tabs from the status line are not on Column"
xdotool type 5
tab_to_next
xdotool type 3
tab_to_next
tab_to_next
xdotool type 2
for _ in 1 2 3; do tab_to_next; done
sleep 1.5 # a second focus event on the cell came 0.1 s after the first
entered=$(focus_lines | tail -n 3 | paste -sd '/')
[ "$entered" = "Ore/Brush size/column 5, row 3, direction 0" ] ||
    fail "from Editdir, three Tabs gave the focus to $entered"
focused=$(tree | grep '|focused$' || true)
[ "$focused" = "      50029|column 5, row 3, direction 0|$id.BUF|focused" ] ||
    fail "the keyboard focus is on: $focused"

# --- Space: the cell's new words.
xdotool key space
wait_for "direction 2 on the cell" tree_has "^      50029|column 5, row 3, direction 2|$id.BUF|focused$"

# --- Save Map: the status bar's new text.
file_menu_item 2
wait_for "the save's status in the status bar" tree_has "^      50020|Saved map as: .*small.map|$id.TxtStatus$"

# --- Draw Type and Edit value 7 by keyboard, back to the map's cell (5, 3), and a click at the
# middle of the cell's bounding rectangle as the client reads it, where a Windows reader clicks
# a cell (NVDA: move the mouse to the navigator object, then its left click): the tile is
# painted and its cell keeps the focus.
tab_to_next
tab_to_next
[ "$(focus_lines | tail -n 1)" = "Draw Type" ] || fail "two Tabs from the map are not on Draw Type"
xdotool key space
for _ in $(seq 1 14); do tab_to_next; done
[ "$(focus_lines | tail -n 1)" = "Edit value" ] || fail "14 Tabs from Draw Type are not on Edit value"
xdotool type 7
for _ in $(seq 1 7); do tab_to_next; done
from=$(wc -l <"$log")
echo rect >&4
wait_for "the focused cell's rectangle" bash -c "tail -n +$((from + 1)) '$log' | grep -q '^rect '"
read -r left top right bottom < <(tail -n +$((from + 1)) "$log" | sed -n 's/^rect column 5, row 3, type 0, direction 2|//p')
[ -n "${bottom:-}" ] || fail "the focused element is not the cell of tile (5, 3): $(grep '^rect ' "$log")"
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
wait_for "type 7 on the focused cell" tree_has "^      50029|column 5, row 3, type 7, direction 2|$id.BUF|focused$"

# --- What the client could follow: notifications where it takes them.
handler() { sed -n "s/^events $1 //p" "$log"; }
echo "The client's handlers: focus changes $(handler focus), name changes $(handler name)," \
    "notifications $(handler notification) (0x00000000 taken, 0x80004001 not implemented," \
    "0x80004002 no such interface)"
if [ "$(handler notification)" = 0x00000000 ]; then
    grep -q '^notification Map|column 5, row 3, direction 2$' "$log" || fail "no notification of Space"
    grep -q '^notification Status|Saved map as: ' "$log" || fail "no notification of Save Map"
    grep -q '^notification Map|column 5, row 3, type 7, direction 2$' "$log" ||
        fail "no notification of the click"
fi
echo "UI Automation test passed"
