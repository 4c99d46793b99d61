# Sourced by scripts/test after the Linux suites: cross-builds the Qt-free
# Windows side with MinGW-w64 and runs its tests under Wine in a fresh prefix,
# with the COM test server registered under the version-6 identifier, then only
# under the version-5 one, then under neither.

strovex_windows_tests() (
    local build="$STROVEX_ROOT/build-win"

    if ! ensure_packages g++-mingw-w64-x86-64-posix wine wine64 googletest cmake ninja-build \
        || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
        if [ -n "${CI:-}" ]; then
            echo "Windows side: MinGW-w64 or Wine could not be installed" >&2
            return 1
        fi
        echo "Windows side: MinGW-w64 or Wine could not be installed here; skipping its tests (CI runs them)."
        return 0
    fi

    echo "Windows side: building with MinGW-w64"
    cmake -S "$STROVEX_ROOT/src/platform/win" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$STROVEX_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
    cmake --build "$build" -j2 || return 1

    # A prefix of its own, made fresh, without the Mono and Gecko installers.
    # Wine names files in the Unix locale's character set: UTF-8, so that names
    # outside ASCII can be tested whatever locale the machine runs in.
    export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    rm -rf "$WINEPREFIX"
    echo "Windows side: preparing a Wine prefix"
    timeout 300 wineboot --init >/dev/null 2>&1 || { echo "Windows side: wineboot failed" >&2; return 1; }
    timeout 120 wineserver -w

    local registered filter status=0
    for registered in 6 5 none; do
        filter="*"
        [ "$registered" = 6 ] || filter="ComConnect.*"
        timeout 60 wine reg import "$build/register-$registered.reg" >/dev/null 2>&1 \
            || { echo "Windows side: registering the test server failed" >&2; status=1; break; }
        echo "Windows side: tests with the test server registered as: $registered"
        STROVEX_WIN_REGISTERED=$registered timeout 600 wine "$build/bin/strovex_win_tests.exe" \
            --gtest_filter="$filter" --gtest_brief=1 || { status=1; break; }
    done
    wineserver -k >/dev/null 2>&1 || true
    return $status
)

strovex_windows_tests || { echo "Windows side: tests failed" >&2; return 1; }
