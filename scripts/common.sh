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
                libcups2-dev libsqlite3-dev)
# What scripts/qt-windows-kit builds the Qt kit for MinGW-w64 with.
QT_KIT_PACKAGES=(cmake ninja-build qt6-base-dev-tools qt6-base-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
                 dpkg-dev xz-utils patch)

# What scripts/sqlite-windows makes the SQLite amalgamation for MinGW-w64 with.
SQLITE_KIT_PACKAGES=(libsqlite3-dev dpkg-dev xz-utils tcl make gcc)

# strovex_cache_root: where built kits are kept, outside the checkout.
strovex_cache_root() {
    if [ -n "${STROVEX_QT_CACHE:-}" ]; then
        echo "$STROVEX_QT_CACHE"
    elif mkdir -p /var/cache/strovex 2>/dev/null && [ -w /var/cache/strovex ]; then
        echo /var/cache/strovex
    else
        echo "${XDG_CACHE_HOME:-$HOME/.cache}/strovex"
    fi
}

# ensure_deb_src PACKAGE=VERSION: makes the source package reachable, copying
# the machine's own Debian entry with Types: deb-src when apt has none.
ensure_deb_src() {
    apt-get source --print-uris "$1" >/dev/null 2>&1 && return 0
    local origin src_list=/etc/apt/sources.list.d/strovex-deb-src.sources
    origin=$(grep -l -E '^URIs:.*debian' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 || true)
    if [ -z "$origin" ]; then
        echo "no Debian sources entry to copy in /etc/apt/sources.list.d" >&2
        return 1
    fi
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    sed -e 's/^Types:.*/Types: deb-src/' "$origin" | "${sudo[@]}" tee "$src_list" >/dev/null
    apt_get update -qq
}

configure_and_build() {
    local preset=${1:-default}
    cmake --preset "$preset" -S "$STROVEX_ROOT" >/dev/null
    cmake --build --preset "$preset"
}
