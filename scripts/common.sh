# SPDX-License-Identifier: MIT
# Shared by the scripts: the project's root and installing Debian packages that are missing.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the named Debian packages that are not installed yet (sudo when not root).
install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    # Through env: sudo passes on no variable of the caller's.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

build_packages=(cmake make g++ pkg-config dpkg-dev qt6-base-dev libgl-dev libxcb1-dev libgtest-dev libgmock-dev
                libbenchmark-dev fonts-dejavu-core librsvg2-bin)

# The project's one version, as CMakeLists.txt gives it.
project_version() {
    sed -n 's/^project(QuarlEditor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}
