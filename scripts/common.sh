# Shared by the scripts: installing what a fresh Debian machine lacks.

STROVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# ensure_packages PKG...: installs those not yet installed (needs root or sudo).
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    apt_get update -qq
    apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# apt_get ARG...: apt-get as root, one caller of ours at a time. The Qt kit may
# be fetched in the background while a test fragment installs packages, and
# apt-get update fails at once where another holds the package lists.
apt_get() {
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    flock -w 900 "${TMPDIR:-/tmp}/strovex-apt.lock" \
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 "$@"
}

BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev googletest libgtest-dev libgmock-dev
                libcups2-dev)
# What scripts/qt-windows-kit builds the Qt kit for MinGW-w64 with.
QT_KIT_PACKAGES=(cmake ninja-build qt6-base-dev-tools qt6-base-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
                 dpkg-dev xz-utils patch)

configure_and_build() {
    local preset=${1:-default}
    cmake --preset "$preset" -S "$STROVEX_ROOT" >/dev/null
    cmake --build --preset "$preset"
}
