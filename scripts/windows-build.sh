# SPDX-License-Identifier: MIT
# Sourced by scripts/windows and scripts/release, after common.sh: Qt for MinGW-w64 and the
# cross-build for 64-bit Windows.
# Qt for MinGW comes from ../shared/windows when it is there; otherwise it is built from
# Debian's source (about an hour on two cores) into the cache folder, once. Windows builds are
# made in Debian 13, whose Qt 6.8 tools and MinGW (GCC 14) go with Qt 6.8 for MinGW.

install_packages cmake ninja-build g++-mingw-w64-x86-64-posix googletest qt6-base-dev \
    qt6-base-dev-tools librsvg2-bin icoutils fonts-dejavu-core nsis unzip xz-utils

cache=${XDG_CACHE_HOME:-$HOME/.cache}/quarl-editor
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/+dfsg.*//')
qt=$cache/qt6-mingw-$qt_version

# Makes Qt for MinGW ready in $qt, and says loudly when it is older than this system's Qt.
prepare_qt_mingw() {
    echo "== Qt $qt_version for MinGW-w64"
    [ -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ] || make_qt_mingw
    check_qt_mingw_version
}

# The Debian version of qt6-base that Qt for MinGW was built from, kept in $qt/debian-version
# and shipped in the zip: a prebuilt Qt's is the one its README names.
check_qt_mingw_version() {
    local readme=$root/../shared/windows/README-qt-$qt_version.md
    if [ ! -f "$qt/debian-version" ] && [ -f "$readme" ]; then
        sed -n 's/.*package `qt6-base` \([^ ,]*\).*/\1/p' "$readme" | head -1 >"$qt/debian-version"
    fi
    local shipped system
    shipped=$(cat "$qt/debian-version" 2>/dev/null || true)
    system=$(dpkg-query -W -f='${Version}' qt6-base-dev)
    [ -n "$shipped" ] || { echo "Qt for MinGW in $qt does not say which qt6-base it was built from" >&2; return 1; }
    if dpkg --compare-versions "$shipped" lt "$system"; then
        echo "!!! WARNING: Qt for MinGW is built from Debian's qt6-base $shipped, older than this" >&2
        echo "!!! system's qt6-base $system (a security or bug fix): the Windows zip and installer" >&2
        echo "!!! ship the older Qt. Build Qt for MinGW again (see README, Windows) before a release." >&2
    fi
}

make_qt_mingw() {
    local shared=$root/../shared/windows/qt-$qt_version-mingw-w64.tar.xz
    rm -rf "$qt" "$cache/qt6-mingw"
    mkdir -p "$cache"
    if [ -f "$shared" ]; then
        tar xJf "$shared" -C "$cache"
        mv "$cache/qt6-mingw" "$qt"
        return 0
    fi
    echo "No prebuilt Qt at $shared: building it from Debian's source"
    install_packages dpkg-dev patch python3
    mkdir -p "$cache/qt-source"
    (cd "$cache/qt-source" && fetch_debian_source qt6-base)
    "$root/scripts/build-qt-mingw" "$qt" "$cache/qt-source"
    local dsc
    dsc=$(basename "$(ls "$cache"/qt-source/qt6-base_*.dsc | tail -1)" .dsc)
    echo "${dsc#qt6-base_}" >"$qt/debian-version"
}

# Downloads the Debian source of PACKAGE, as this system's release has it, into the current
# folder. apt reads source lists and keeps its indexes in a folder of its own: the system's apt
# configuration is not changed.
fetch_debian_source() {
    local apt_dir=$cache/apt-source
    rm -rf "$apt_dir"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial"
    apt-get indextargets --format '$(TARGET_OF) $(BASE_URI) $(CODENAME) $(COMPONENT)' |
        awk '$1 == "deb" { sub("dists/.*", "", $2); print "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " $2 " " $3 " " $4 }' |
        sort -u >"$apt_dir/sources.list"
    local options=(-o Dir::Etc::SourceList="$apt_dir/sources.list"
        -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::State::Lists="$apt_dir/lists"
        -o Dir::Cache::Archives="$apt_dir/archives" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
    apt-get "${options[@]}" update -qq
    apt-get "${options[@]}" source --download-only "$1"
}

# Configures BUILD-DIR as a Release build for Windows, with any further cmake options, and
# builds it.
cross_build() {
    local build=$1
    shift
    cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARL_BUILD_BENCH=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DQT_MINGW_PREFIX="$qt" \
        -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "$@"
    cmake --build "$build" -j"$(nproc)"
}
