# Shared by scripts/package-windows and scripts/test.d/85-windows-app.sh: the
# Windows programs cross-built against the Qt kit, and Wine prefixes to run them.
# Needs common.sh sourced first.

WIN_APP_BUILD="$STROVEX_ROOT/build-win-app"
WIN_APP_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 cmake ninja-build googletest zip unzip icoutils
                  bsdutils)

# The folders of the MinGW runtime DLLs the programs load.
mingw_runtime_dirs() {
    dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)"
    dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)"
}

# build_windows_app [TARGET...]: builds against the kit in STROVEX_QT_KIT, or
# the one scripts/qt-windows-kit makes (and caches) when that is unset, and
# leaves its folder there. strovex.exe, strovex-cli.exe and strovexsim.dll by default.
build_windows_app() {
    if [ -z "${STROVEX_QT_KIT:-}" ]; then
        STROVEX_QT_KIT=$("$STROVEX_ROOT/scripts/qt-windows-kit") || return 1
    fi
    export STROVEX_QT_KIT
    # SQLite, compiled in from Debian's own sources (cached like the kit).
    if [ -z "${STROVEX_SQLITE_KIT:-}" ]; then
        STROVEX_SQLITE_KIT=$("$STROVEX_ROOT/scripts/sqlite-windows") || return 1
    fi
    export STROVEX_SQLITE_KIT
    # CMake keeps the toolchain of a build folder's first configuration: a new
    # kit needs a fresh configuration.
    if [ -f "$WIN_APP_BUILD/CMakeCache.txt" ] \
        && ! grep -q -F "CMAKE_TOOLCHAIN_FILE:FILEPATH=$STROVEX_QT_KIT/lib/cmake/Qt6/qt.toolchain.cmake" \
            "$WIN_APP_BUILD/CMakeCache.txt"; then
        rm -rf "$WIN_APP_BUILD/CMakeCache.txt" "$WIN_APP_BUILD/CMakeFiles"
    fi
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake --preset windows -S "$STROVEX_ROOT" -DSTROVEX_BUILD_TESTS="${STROVEX_WIN_APP_TESTS:-OFF}" \
        -DSTROVEX_SQLITE_KIT="$STROVEX_SQLITE_KIT" "${launcher[@]}" >/dev/null || return 1
    local targets=("$@")
    [ ${#targets[@]} -gt 0 ] || targets=(strovex strovex-cli strovexsim)
    nice -n 5 cmake --build "$WIN_APP_BUILD" -j2 --target "${targets[@]}"
}

# A Windows path (Z:\...) for a Linux one.
wine_path() {
    printf 'Z:%s' "${1//\//\\}"
}

# new_wine_prefix DIR: a fresh 64-bit prefix reporting Windows 10, without the
# Mono and Gecko installers. Exports the variables every Wine run needs.
new_wine_prefix() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine names files in the Unix locale's character set: UTF-8 for names outside ASCII.
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    rm -rf "$WINEPREFIX"
    timeout 300 wineboot --init >/dev/null 2>&1 || return 1
    timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1 || return 1
    timeout 120 wineserver -w
}
