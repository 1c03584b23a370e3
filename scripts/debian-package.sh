# SPDX-License-Identifier: MIT
# Sourced by scripts/package and scripts/release, after common.sh and debian-system.sh: the
# Debian source package of the checked-out commit, built clean as Debian's build machines build
# it, and tested as Debian's CI tests it.
#
# Every build starts from a fresh minimal system with only build-essential and the package's
# Build-Depends, unpacked from a tarball that mmdebstrap made once (kept beside the Debian
# systems), in a user namespace: sbuild --chroot-mode=unshare builds and runs lintian there,
# autopkgtest-virt-unshare tests there. Inside, root is an unprivileged user of the host, so
# neither a build nor a test can write to the host as root.

install_packages sbuild mmdebstrap autopkgtest uidmap dpkg-dev debhelper git xz-utils

# A user namespace maps the subordinate ids of the user who runs it; a user without a range
# gets 65536 of them above every range handed out so far, as useradd hands them out.
ensure_subordinate_ids() {
    local user
    user=$(id -un)
    grep -q "^$user:" /etc/subuid 2>/dev/null && grep -q "^$user:" /etc/subgid 2>/dev/null &&
        return 0
    local first
    first=$(cat /etc/subuid /etc/subgid 2>/dev/null |
        awk -F: 'BEGIN { top = 100000 } { if ($2 + $3 > top) top = $2 + $3 } END { print top }')
    echo "== Subordinate ids $first-$((first + 65535)) for $user, for user namespaces"
    usermod --add-subuids "$first-$((first + 65535))" --add-subgids "$first-$((first + 65535))" "$user"
}

# The tarball of a minimal RELEASE system of VARIANT (buildd: build-essential too; apt: only
# apt), made once; a made tarball only appears under its name when it is whole.
debian_tarball() {
    local release=$1 variant=$2
    local tarballs
    tarballs=$(realpath -m "${QUARL_SYSTEMS:-/var/cache/quarl-editor}")/tarballs
    tarball=$tarballs/$release-$variant-$(dpkg --print-architecture).tar
    [ -f "$tarball" ] && return 0
    mkdir -p "$tarballs"
    local lock
    exec {lock}>"$tarball.lock"
    flock "$lock"
    if [ ! -f "$tarball" ]; then
        echo "== Make a minimal Debian $release system ($variant) in $tarball"
        rm -f "$tarball.part"
        mmdebstrap --quiet --mode=unshare --variant="$variant" --format=tar \
            --aptopt='Acquire::Check-Valid-Until "false"' \
            "$release" "$tarball.part" "$(debian_mirror)"
        mv "$tarball.part" "$tarball"
    fi
    exec {lock}>&-
}

# The source package of the checked-out commit, made from the commit alone in OUT: the .dsc
# and the native tarball beside it. Its time stamps are the commit's.
make_source_package() {
    local out=$1
    local scratch
    scratch=$(mktemp -d)
    git -C "$root" archive --format=tar --prefix="quarl-editor-$version/" HEAD | tar -x -C "$scratch"
    (cd "$scratch" && SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) \
        dpkg-source --build "quarl-editor-$version" >/dev/null)
    mkdir -p "$out"
    mv "$scratch"/quarl-editor_"$version".dsc "$scratch"/quarl-editor_"$version".tar.xz "$out/"
    rm -rf "$scratch"
    dsc=$out/quarl-editor_${version}.dsc
}

# Builds DSC clean in a fresh RELEASE system into OUT, with the tests it runs at build time,
# and lintian on the source and the binary package, which fails the build on an error or a
# warning.
build_clean() {
    local dsc=$1 release=$2 out=$3
    ensure_subordinate_ids
    debian_tarball "$release" buildd
    mkdir -p "$out"
    # The build runs as the unprivileged user sbuild, as on Debian's build machines, with a home
    # that does not exist; lintian is installed into the build's system, so it is the release's.
    local config
    config=$(mktemp)
    cat >"$config" <<'EOF'
$build_user = "sbuild";
$lintian_require_success = 1;
$run_lintian = 1;
$lintian_opts = ["--fail-on", "error,warning", "--display-info"];
$run_autopkgtest = 0;
$run_piuparts = 0;
$build_arch_all = 0;
1;
EOF
    # The .changes names the distribution the changelog names (sbuild's --dist only labels it:
    # the system is the tarball's). The package's times are the changelog's, as anyone who
    # rebuilds it from the .dsc gets them.
    local distribution status=0
    distribution=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Distribution)
    (cd "$out" && env -u SOURCE_DATE_EPOCH -u QT_RCC_SOURCE_DATE_OVERRIDE SBUILD_CONFIG="$config" \
        sbuild --chroot-mode=unshare --chroot="$tarball" --dist="$distribution" --nolog --verbose \
        --no-source-only-changes "$dsc" >"$out/build.log" 2>&1) || status=$?
    rm -f "$config"
    # What lintian said, and how long the build took.
    sed -n '/^Running lintian/,/^+---/{/^[EWIN]: /p};/^Lintian: /p;/^Build-Time: /p' "$out/build.log"
    if [ "$status" -ne 0 ]; then
        tail -n 80 "$out/build.log"
        echo "FAIL: the clean build on $release failed (the whole log: $out/build.log)" >&2
        return 1
    fi
}

# Runs the package's autopkgtests in a fresh RELEASE system against the packages in OUT.
test_installed() {
    local dsc=$1 release=$2 out=$3
    ensure_subordinate_ids
    debian_tarball "$release" apt
    rm -rf "$out/autopkgtest-$release"
    # The testbed is brought up to date with its archive first (--apt-upgrade).
    autopkgtest --apt-upgrade --output-dir="$out/autopkgtest-$release" \
        "$out"/quarl-editor_*.deb "$dsc" -- unshare --release "$release" --tarball "$tarball"
}
