# SPDX-License-Identifier: MIT
# Sourced by scripts/debian13 and scripts/release, after common.sh: a Debian 13 system made with
# debootstrap, kept in QUARL_DEBIAN13_ROOT (default /var/cache/quarl-editor/debian13) for later
# runs, and made ready to chroot into. Needs root, as debootstrap and chroot do.

[ "$(id -u)" -eq 0 ] || { echo "$(basename "$0") needs root (debootstrap, chroot)" >&2; exit 1; }
install_packages debootstrap rsync

system=$(realpath -m "${QUARL_DEBIAN13_ROOT:-/var/cache/quarl-editor/debian13}")
# Leaving the system kills every process whose root it is, and a system that is not ready is
# removed: never the host's root.
case $system in
    "" | /) echo "QUARL_DEBIAN13_ROOT must not be the root folder" >&2; exit 1 ;;
esac
# The mark of a folder this script made, the only kind it ever removes.
mark=.quarl-debian13
mirror=${QUARL_DEBIAN_MIRROR:-http://deb.debian.org/debian}
system_mounts=()

# Ends what was left running inside, then unmounts in reverse order.
leave_debian13() {
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$system" ] && kill -9 "$pid" 2>/dev/null
    done
    local i
    for ((i = ${#system_mounts[@]} - 1; i >= 0; i--)); do
        umount -l "${system_mounts[$i]}" 2>/dev/null || true
    done
    system_mounts=()
}

# Makes the system when it is not there yet and mounts what programs inside need, to be
# unmounted by leave_debian13 when the calling script exits (or when it calls that itself).
enter_debian13() {
    if [ ! -f "$system/.quarl-ready" ]; then
        echo "== Make a Debian 13 system in $system"
        if [ -e "$system" ] && [ ! -f "$system/$mark" ] && [ -n "$(ls -A "$system")" ]; then
            echo "$system holds files this script did not make: choose another QUARL_DEBIAN13_ROOT" >&2
            exit 1
        fi
        rm -rf "$system"
        mkdir -p "$system"
        touch "$system/$mark"
        debootstrap --variant=minbase trixie "$system" "$mirror"
        touch "$system/.quarl-ready"
    fi
    trap leave_debian13 EXIT
    local dir
    for dir in proc sys dev dev/pts; do
        mkdir -p "$system/$dir"
        mount --bind "/$dir" "$system/$dir"
        system_mounts+=("$system/$dir")
    done
    cp -L /etc/resolv.conf "$system/etc/resolv.conf"
}

# Runs a bash command in the system as root, with a clean environment.
in_debian13() {
    chroot "$system" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1"
}

# Copies this tree into the system, at /root/quarl-editor, with the prebuilt Qt for MinGW of
# ../shared/windows and its README (which names its Debian version) beside it where there is
# one. By content, not by time stamp: a file that changed gets a new time, so the kept builds
# see it.
copy_into_debian13() {
    rsync -rlp --checksum --delete --exclude='/build*' --exclude='/release*' --exclude='/.git' \
        "$root/" "$system/root/quarl-editor/"
    local prebuilt
    for prebuilt in "$root"/../shared/windows/qt-*-mingw-w64.tar.xz "$root"/../shared/windows/README-qt-*.md; do
        [ -f "$prebuilt" ] || continue
        mkdir -p "$system/root/shared/windows"
        cmp -s "$prebuilt" "$system/root/shared/windows/$(basename "$prebuilt")" ||
            cp "$prebuilt" "$system/root/shared/windows/"
    done
}
