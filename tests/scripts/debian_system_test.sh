#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The guards of scripts/debian-system.sh, on folders of this test's own: a system that is not
# ready, with a bind mount of another folder of the same file system inside, is removed and
# that folder's files are untouched; a folder the script did not make is refused; a second run
# waits for the first to leave the system. Runs in a mount namespace of its own, so that no
# mount it makes outlives it. Needs root (mount, unshare): skipped otherwise.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "needs root: skipped"; exit 77; }
if [ -z "${QUARL_GUARD_NAMESPACE:-}" ]; then
    QUARL_GUARD_NAMESPACE=1 exec unshare --mount --propagation private -- "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
work=$(mktemp -d)
trap 'umount -R "$work/systems" 2>/dev/null || true; rm -rf --one-file-system "$work"' EXIT
export QUARL_SYSTEMS=$work/systems
source "$root/scripts/debian-system.sh"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A killed debootstrap's system, with the host's files bound inside.
mkdir -p "$work/host" "$QUARL_SYSTEMS/killed/proc"
echo kept >"$work/host/file"
touch "$QUARL_SYSTEMS/killed/$system_mark"
mount --bind "$work/host" "$QUARL_SYSTEMS/killed/proc"
system=$QUARL_SYSTEMS/killed
remove_unready_system
[ "$(cat "$work/host/file" 2>/dev/null)" = kept ] || fail "the bound folder's file is gone"
[ ! -e "$system" ] || fail "the system that was not ready is still there"
[ -z "$(mounts_under "$QUARL_SYSTEMS")" ] || fail "mounts are left: $(mounts_under "$QUARL_SYSTEMS")"
echo "a system that was not ready removed, the bound folder's file kept"

# A folder with files and no mark is not the script's to remove.
mkdir -p "$QUARL_SYSTEMS/foreign"
echo mine >"$QUARL_SYSTEMS/foreign/file"
system=$QUARL_SYSTEMS/foreign
status=0
(remove_unready_system) 2>/dev/null || status=$?
[ "$status" -ne 0 ] && [ -f "$QUARL_SYSTEMS/foreign/file" ] || fail "a foreign folder was removed"
echo "a folder the script did not make refused"

# Two runs of one ready system: the second waits until the first has left it.
mkdir -p "$QUARL_SYSTEMS/ready"
touch "$QUARL_SYSTEMS/ready/$system_mark" "$QUARL_SYSTEMS/ready/.quarl-ready"
(use_debian_system ready && echo "first in" >>"$work/order" && sleep 2 &&
    echo "first out" >>"$work/order") &
first=$!
for _ in $(seq 1 100); do [ -s "$work/order" ] && break; sleep 0.05; done
said=$( (use_debian_system ready && echo "second in" >>"$work/order") 2>&1)
wait "$first"
[ "$(cat "$work/order")" = $'first in\nfirst out\nsecond in' ] ||
    fail "the runs overlapped: $(tr '\n' ',' <"$work/order")"
grep -q "Waiting for another run" <<<"$said" || fail "the second run did not say it waits: $said"
echo "the second run waited for the first"
