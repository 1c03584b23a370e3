#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real editor killed in the middle of a save: strace holds the save at its first write into
# the file beside the map, and then at its flush just before the replace, while the editor gets
# SIGKILL. The map must
# be the old one, whole, each time. Then two editors save the map at once, one killed: the map is
# the other's, whole. The next save must go through and remove what the killed saves left
# beside the map.
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

# Every record's six bytes hold their cleared values; every other byte is as it was.
expect_cleared() {
    python3 - "$work/original.map" "$map" $((W * H)) <<'CHECK' || fail "the saved map is not the cleared one: $1 ($(stat -c %s "$map") bytes)"
import sys
old, new, tiles = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read(), int(sys.argv[3])
expected = bytearray(old)
for i in range(tiles):
    for at, value in zip((0, 1, 2, 3, 5, 6), (0, 16, 20, 0, 255, 255)):
        expected[8 + 23 * i + at] = value
sys.exit(new != bytes(expected))
CHECK
}
beside_files() { (cd "$folder" && ls -A | grep -v '^kill.map$' | tr '\n' ' '); }

# An editor whose first call of the kind named in $2 strace holds for $3 seconds on entry,
# logging into $1; the rest of the arguments go before the calls, as strace options.
held_editor() {
    local log=$1 calls=$2 delay=$3
    shift 3
    printf '#!/bin/sh\nexec strace -o "%s" -y -e signal=none %s -e trace=%s --inject=%s:delay_enter=%ss:when=1 "%s"\n' \
        "$log" "$*" "$calls" "$calls" "$delay" "$editor" >"$work/held-editor"
    chmod +x "$work/held-editor"
    echo "$work/held-editor"
}

echo "before the save: sha256 $(sha256sum <"$map" | cut -c1-16), first record$(first_record "$map")"
start_xvfb
# Held at its first write into the file beside the map, then at its flush, the last call before
# the replace: the map file's calls are the editor's only pwrite64 and fsync calls (Qt's own
# settings file is renamed, not flushed), and -y names the file each call is on. strace -P
# cannot hold the replace itself, as it matches a rename by its first name alone, which is
# unique to the save.
for held in pwrite64 fsync; do
    log="$work/strace-$held.log"
    start_editor "$(held_editor "$log" "$held" 5)"
    tracer=${pids[-1]}
    load_clear_save
    wait_for "the save held at $held" grep -q "^$held(" "$log"
    grep "^$held(" "$log" | head -1 | grep -q 'quarl-save' || fail "$held held on another file: $(grep "^$held(" "$log")"
    kill -9 "$(pgrep -P "$tracer")"
    # The killed editor is gone once strace has sat out its delay.
    wait "$tracer" || true
    grep -q "^$held(.*= ?$" "$log" || fail "the held $held went through before the kill: $(cat "$log")"
    cmp "$map" "$work/original.map" || fail "killed at $held, the map is not the old one"
    echo "killed while the save waited to enter $(grep "^$held(" "$log" | head -1 | cut -c1-150):" \
        "the map is the old one (sha256 $(sha256sum <"$map" | cut -c1-16), first record$(first_record "$map"))," \
        "left beside it: $(beside_files)"
done

# Two editors save the map at once. A clears it and is held at its flush, just before its
# replace, its file written beside the map; B, with the map as it was, makes its own file beside
# it and is killed while it writes that. A's replace then goes on: the map is A's, whole, and A
# says so.
start_editor "$(held_editor "$work/strace-a.log" fsync 15)"
editor_a=${pids[-1]}
load_clear_save
wait_for "A held at its flush" grep -q "^fsync(.*quarl-save" "$work/strace-a.log"
start_editor "$(held_editor "$work/strace-b.log" pwrite64 60)"
editor_b=${pids[-1]}
wait_for "B's window" bash -c "[ \$(xdotool search --onlyvisible --name '^Quarl editor\$' | wc -l) -ge 2 ]"
load_map "$map"
wait_for "B's load status" status_is "Filesize: $((8 + 23 * W * H + 5))  Mapsize: $W X $H"
file_menu_item 2
wait_for "B held at its first write" grep -q "^pwrite64(.*quarl-save" "$work/strace-b.log"
! grep -q "^fsync(.* = 0" "$work/strace-a.log" || fail "A's save went on before B's began"
wait_for "A's flush" grep -q "^fsync(.*quarl-save.* = 0" "$work/strace-a.log"
kill -9 "$(pgrep -P "$editor_b")"
wait "$editor_b" || true
wait_for "A's save status" status_is "Saved map as: kill.map"
expect_cleared "after two saves at once"
echo "two saves at once: A's replace went through, B was killed writing; the map is A's, whole;" \
    "left beside it: $(beside_files)"
[ -n "$(beside_files)" ] || fail "B's file beside the map is gone before the next save"
kill "$(pgrep -P "$editor_a")"
wait "$editor_a" || true

cp "$work/original.map" "$map"
start_editor "$editor"
load_clear_save
wait_for "the save status" status_is "Saved map as: kill.map"
[ "$(ls -A "$folder")" = kill.map ] || fail "left beside the map: $(ls -A "$folder")"
expect_cleared "the next save"
echo "the next save: first record$(first_record "$map"), nothing beside the map"
echo "save kill test passed"
