#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real editor killed in the middle of a save: strace holds the save at the flush of the
# file written beside the map, and then at the replace, while the editor gets SIGKILL. The map
# must be the old one, whole, each time, and the next save must go through, replacing what the
# killed save left beside the map.
# Usage: save_kill_test.sh EDITOR MAPGEN
set -euo pipefail
editor=$1
mapgen=$2

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"

W=20
H=10
folder="$work/maps"
mkdir "$folder"
map="$folder/kill.map"
"$mapgen" "$map" $W $H --pattern random --seed 9 --trailing 5
cp "$map" "$work/original.map"
first_record() { od -An -tu1 -j8 -N7 "$1" | tr -s ' '; }

# Loads the map, clears it and saves: every record changes.
load_clear_save() {
    load_map "$map"
    wait_for "the load status" status_is "Filesize: $((8 + 23 * W * H + 5))  Mapsize: $W X $H"
    click $((cx + 65)) $((cy - 8))
    wait_for "the Options menu" bash -c "xdotool search --onlyvisible --class quarl-editor | wc -l | grep -qv '^1$'"
    xdotool key Down Return
    file_menu_item 2
}

echo "before the save: sha256 $(sha256sum <"$map" | cut -c1-16), first record$(first_record "$map")"
start_xvfb
for held in fsync rename; do
    log="$work/strace-$held.log"
    # -P: only the calls on the file beside the map, not those of Qt's own settings file.
    printf '#!/bin/sh\nexec strace -o "%s" -e signal=none -P "%s" -e trace=fsync,rename --inject=%s:delay_enter=10s "%s"\n' \
        "$log" "$folder/.kill.map.quarl-save" "$held" "$editor" >"$work/held-editor"
    chmod +x "$work/held-editor"
    start_editor "$work/held-editor"
    tracer=${pids[-1]}
    load_clear_save
    wait_for "the save held at $held" grep -q "^$held(" "$log"
    kill -9 "$(pgrep -P "$tracer")"
    # The killed editor is gone once strace has sat out its delay.
    wait "$tracer" || true
    grep -q "^$held(.*= ?$" "$log" || fail "the held $held went through before the kill: $(cat "$log")"
    cmp "$map" "$work/original.map" || fail "killed at $held, the map is not the old one"
    echo "killed while the save waited to enter $(grep "^$held(" "$log" | head -1):" \
        "the map is the old one (sha256 $(sha256sum <"$map" | cut -c1-16), first record$(first_record "$map"))," \
        "left beside it: $(cd "$folder" && ls -A | grep -v '^kill.map$' | tr '\n' ' ')"
done

start_editor "$editor"
load_clear_save
wait_for "the save status" status_is "Saved map as: kill.map"
[ "$(ls -A "$folder")" = kill.map ] || fail "left beside the map: $(ls -A "$folder")"
# Every record's six bytes hold their cleared values; every other byte is as it was.
python3 - "$work/original.map" "$map" $((W * H)) <<'CHECK' || fail "the saved map is not the cleared one"
import sys
old, new, tiles = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read(), int(sys.argv[3])
expected = bytearray(old)
for i in range(tiles):
    for at, value in zip((0, 1, 2, 3, 5, 6), (0, 16, 20, 0, 255, 255)):
        expected[8 + 23 * i + at] = value
sys.exit(new != bytes(expected))
CHECK
echo "the next save: first record$(first_record "$map"), nothing beside the map"
echo "save kill test passed"
