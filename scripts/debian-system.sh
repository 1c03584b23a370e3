# SPDX-License-Identifier: MIT
# Sourced by scripts/debian, scripts/windows and scripts/release, after common.sh: a Debian
# system of a named release made with debootstrap, kept in QUARL_SYSTEMS/RELEASE (default
# /var/cache/quarl-editor/RELEASE) for later runs. Needs root, as debootstrap and chroot do.
#
# The host is never touched: every program inside runs in a mount and PID namespace of its own,
# where /proc, /sys and /dev are mounted, so that those mounts and every process started there
# end with it; one run at a time holds a system, by a lock beside it; a system that is not
# ready is removed only when this script marked it, with every mount inside gone, and without
# crossing into another file system.

[ "$(id -u)" -eq 0 ] || { echo "$(basename "$0") needs root (debootstrap, chroot)" >&2; exit 1; }
install_packages debootstrap rsync util-linux

# The mark of a folder this script made, the only kind it ever removes.
system_mark=.quarl-debian-system
system_lock=

# The archive to make systems from: QUARL_DEBIAN_MIRROR, else the one the host's apt uses for
# Debian itself, else none, and the run stops.
debian_mirror() {
    if [ -n "${QUARL_DEBIAN_MIRROR:-}" ]; then
        echo "$QUARL_DEBIAN_MIRROR"
        return 0
    fi
    local mirror
    mirror=$(apt-get indextargets --format '$(TARGET_OF) $(CODENAME) $(BASE_URI)' 2>/dev/null |
        awk '$1 == "deb" && $2 !~ /-/ { sub("dists/.*", "", $3); print $3; exit }')
    if [ -z "$mirror" ]; then
        echo "The host's apt names no Debian archive: set QUARL_DEBIAN_MIRROR to one" >&2
        return 1
    fi
    echo "${mirror%/}"
}

# Chooses the system of RELEASE (trixie, forky, ...), waits for any other run that holds it,
# and makes it when it is not ready.
use_debian_system() {
    release=$1
    local systems
    systems=$(realpath -m "${QUARL_SYSTEMS:-/var/cache/quarl-editor}")
    case $systems in
        / | /usr | /usr/* | /etc | /etc/* | /proc* | /sys* | /dev*)
            echo "QUARL_SYSTEMS must not be $systems" >&2
            exit 1
            ;;
    esac
    system=$systems/$release
    mkdir -p "$systems"
    # The lock is held on a descriptor for as long as this script runs.
    exec {system_lock}>"$system.lock"
    if ! flock -n "$system_lock"; then
        echo "== Waiting for another run that uses $system"
        flock "$system_lock"
    fi
    [ -f "$system/.quarl-ready" ] || make_debian_system
}

# Removes what a killed debootstrap left, then makes the system afresh.
make_debian_system() {
    echo "== Make a Debian $release system in $system"
    remove_unready_system
    local mirror
    mirror=$(debian_mirror)
    mkdir -p "$system"
    touch "$system/$system_mark"
    # A release this debootstrap does not know yet is made as unstable's script makes it.
    local script=()
    [ -e "/usr/share/debootstrap/scripts/$release" ] || script=(/usr/share/debootstrap/scripts/sid)
    in_namespace debootstrap --variant=minbase "$release" "$system" "$mirror" "${script[@]}"
    # An archive may serve a testing release's Release file past its Valid-Until date.
    echo 'Acquire::Check-Valid-Until "false";' >"$system/etc/apt/apt.conf.d/99quarl-valid-until"
    touch "$system/.quarl-ready"
}

# Removes $system if this script made it: every mount under it first (none is left by the
# namespaces, but an older or foreign run may have left some), and then nothing on another file
# system. A mount that stays refuses the removal: a bind mount of the same file system would
# not stop --one-file-system.
remove_unready_system() {
    [ -e "$system" ] || return 0
    if [ ! -f "$system/$system_mark" ] && [ -n "$(ls -A "$system")" ]; then
        echo "$system holds files this script did not make: choose another QUARL_SYSTEMS" >&2
        exit 1
    fi
    local mount
    while read -r mount; do
        umount -l "$mount" 2>/dev/null || true
    done < <(mounts_under "$system" | sort -r)
    if [ -n "$(mounts_under "$system")" ]; then
        echo "Mounts under $system stay mounted; it is not removed:" >&2
        mounts_under "$system" >&2
        exit 1
    fi
    rm -rf --one-file-system -- "$system"
}

mounts_under() {
    findmnt -rn -o TARGET | awk -v top="$1" '$0 == top || index($0, top "/") == 1'
}

# Runs a command in a new mount and PID namespace: what it mounts and starts ends with it.
in_namespace() {
    unshare --mount --pid --fork --propagation private -- "$@"
}

# Runs a bash command in the system as root, with a clean environment, in a namespace of its own.
in_debian() {
    # The system's folder becomes a mount of its own, so that "/" inside is one, as programs
    # that make namespaces of their own there (unshare, the tests) need.
    in_namespace bash -c 'set -e
        mount --bind "$1" "$1"
        mount -t proc proc "$1/proc"
        mount --rbind /sys "$1/sys"
        mount --rbind /dev "$1/dev"
        cp -L /etc/resolv.conf "$1/etc/resolv.conf"
        exec chroot "$1" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$2"' \
        bash "$system" "$1"
}

# Copies this tree into the system, at /root/quarl-editor, with the prebuilt Qt for MinGW of
# ../shared/windows and its README (which names its Debian version) beside it where there is
# one. By content, not by time stamp: a file that changed gets a new time, so the kept builds
# see it.
copy_into_debian() {
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
