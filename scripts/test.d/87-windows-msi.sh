# Sourced by scripts/test after 85-windows-app.sh: the Windows Installer
# package in a fresh Wine prefix, installed as a user installs it:
#   - a silent install (over an older version: one product remains) puts the
#     zip's files, the Start-menu shortcut, the "Apps and features" entry with
#     the version, and the folder on a PATH that was already 2,000 characters
#     long; strovex-cli.exe --version runs from the PATH;
#   - two installations at once and a deleted file: the package run again
#     repairs, one product remains;
#   - the simulated designer as a feature: refused, changing nothing, over
#     another program's "Quillmark6.Application"; else registered for the user,
#     and strovex-cli.exe info on an installed sample prints what Linux prints;
#   - strovex.exe starts from the installed folder (a screenshot is saved);
#   - ALLUSERS=1 installs for the machine, on the machine's PATH;
#   - uninstalling leaves no installed file, takes the folder off the PATH and
#     keeps the user's settings.

strovex_windows_msi_tests() (
    source "$STROVEX_ROOT/scripts/windows-app.sh"
    local started=$SECONDS failures=0

    if ! ensure_packages "${WIN_APP_PACKAGES[@]}" xvfb xauth imagemagick \
        || ! command -v wine >/dev/null || ! command -v wixl >/dev/null || ! command -v msibuild >/dev/null; then
        if [ -n "${CI:-}" ]; then
            echo "Windows package: Wine, wixl or msitools could not be installed" >&2
            return 1
        fi
        echo "Windows package: Wine, wixl or msitools could not be installed here; skipping (CI runs them)."
        return 0
    fi
    local linux_cli="$STROVEX_ROOT/build/src/cli/strovex-cli"
    [ -x "$linux_cli" ] || { echo "Windows package: the Linux build is missing ($linux_cli)" >&2; return 1; }

    echo "Windows package: building the MSI, and one of a lower version to upgrade from"
    local msi old_msi version lower packaged
    packaged=$("$STROVEX_ROOT/scripts/package-windows") || { echo "Windows package: packaging failed" >&2; return 1; }
    msi=$(tail -n 1 <<<"$packaged")
    version=$(basename "$msi" | sed -n 's/^strovex-\([0-9.]*\)-x64\.msi$/\1/p')
    [ -n "$version" ] || { echo "Windows package: unexpected package name $msi" >&2; return 1; }
    local major minor patch
    IFS=. read -r major minor patch <<<"$version"
    if [ "$patch" -gt 0 ]; then lower="$major.$minor.$((patch - 1))"
    elif [ "$minor" -gt 0 ]; then lower="$major.$((minor - 1)).0"
    else lower="$((major - 1)).0.0"; fi
    packaged=$(STROVEX_MSI_VERSION=$lower "$STROVEX_ROOT/scripts/package-windows") \
        || { echo "Windows package: packaging version $lower failed" >&2; return 1; }
    old_msi=$(tail -n 1 <<<"$packaged")
    local stage
    stage=$(ls -d "$WIN_APP_BUILD"/package/strovex-*-win64)

    unset WINEPATH
    new_wine_prefix "$WIN_APP_BUILD/wineprefix-msi" || { echo "Windows package: wineboot failed" >&2; return 1; }
    local user_dir
    user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v -x "$WINEPREFIX/drive_c/users/Public/" | head -n 1)
    user_dir=${user_dir%/}
    local installed="$user_dir/AppData/Local/Programs/Strovex"
    local installed_win="C:\\users\\$(basename "$user_dir")\\AppData\\Local\\Programs\\Strovex"
    local shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Strovex.lnk"
    local log_dir="$WIN_APP_BUILD/msi-logs"
    rm -rf "$log_dir"
    mkdir -p "$log_dir"

    fail() {
        echo "Windows package: $*" >&2
        failures=$((failures + 1))
    }
    # msiexec NAME ARGS...: status in $status, the installer's log in msi-logs/NAME.log.
    local status
    msiexec() {
        local name=$1
        shift
        status=0
        timeout 300 wine msiexec "$@" /qn /l*v "$(wine_path "$log_dir/$name.log")" >/dev/null 2>&1 || status=$?
        timeout 120 wineserver -w
    }
    products() {
        timeout 60 wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -c '|||Strovex$'
    }
    # Wine leaves the separator before what it takes out of a PATH (Windows does
    # not): empty entries are not compared.
    user_path() {
        timeout 60 wine reg query 'HKCU\Environment' /v Path 2>/dev/null \
            | sed -n 's/^ *Path *REG_[A-Z_]* *//p' | tr -d '\r' | sed 's/;;*/;/g; s/;$//'
    }
    # The zip's files but strovexsim.dll, which comes with the simulated designer's feature.
    expected_files() {
        (cd "$stage" && find . -type f ! -name strovexsim.dll | sort)
    }
    installed_files() {
        [ -d "$1" ] && (cd "$1" && find . -type f | sort)
    }

    # A user PATH near the old 2,047-character limit of many tools.
    local long_path="" i=0
    while [ ${#long_path} -lt 1980 ]; do
        long_path+="C:\\Tools\\Group$i\\bin;"
        i=$((i + 1))
    done
    long_path+="%USERPROFILE%\\bin"
    timeout 60 wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$long_path" /f >/dev/null 2>&1

    echo "Windows package: version $lower, then $version over it"
    msiexec install-old /i "$(wine_path "$old_msi")"
    [ "$status" -eq 0 ] || fail "installing version $lower ended with status $status"
    # Taking the older version's folder out of the PATH, Wine leaves an empty
    # entry, and Wine's cmd searches no further than one: the PATH is tried
    # while it is as Windows leaves it, before the upgrade (the same programs).
    echo "Windows package: strovex-cli.exe --version from the PATH, in a new console"
    [ "$(user_path)" = "$long_path;$installed_win\\" ] || fail "PATH after installing version $lower: $(user_path)"
    local expected_version got_version
    expected_version=$("$linux_cli" --version)
    got_version=$(cd "$WIN_APP_BUILD" && timeout 120 wine cmd /c 'strovex-cli.exe --version' 2>&1 | tr -d '\r')
    [ "$got_version" = "$expected_version" ] || fail "strovex-cli.exe --version from the PATH said: $got_version"

    msiexec install /i "$(wine_path "$msi")"
    [ "$status" -eq 0 ] || fail "installing version $version ended with status $status"
    [ "$(products)" -eq 1 ] || fail "$(products) products installed after the upgrade, not one"
    local product
    product=$(timeout 60 wine uninstaller --list 2>/dev/null | tr -d '\r' | sed -n 's/^\({[^}]*}\)|||Strovex$/\1/p' | head -n 1)
    timeout 60 wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product" /v DisplayVersion \
        2>/dev/null | grep -q "REG_SZ *$version" || fail "no \"Apps and features\" entry with version $version"
    diff <(expected_files) <(installed_files "$installed") >"$log_dir/files.diff" \
        || { fail "the installed files are not the zip's:"; head -n 20 "$log_dir/files.diff" >&2; }
    [ -f "$shortcut" ] || fail "no Start-menu shortcut \"Strovex\""
    [ "$(user_path)" = "$long_path;$installed_win\\" ] || fail "PATH after the install: $(user_path)"

    echo "Windows package: a deleted file and two installations at once"
    rm -f "$installed/strovex-cli.exe" "$installed/samples/shipping_sscc.lbl"
    local first_status second_status
    (msiexec repair-1 /i "$(wine_path "$msi")"; exit "$status") &
    local first=$!
    (msiexec repair-2 /i "$(wine_path "$msi")"; exit "$status") &
    local second=$!
    first_status=0; wait "$first" || first_status=$?
    second_status=0; wait "$second" || second_status=$?
    # One repairs; the other may wait or be refused (Windows: 1618, another
    # installation in progress; Wine: 1627, which its exit status shows as 91).
    echo "Windows package: the concurrent runs ended with status $first_status and $second_status"
    [ "$first_status" -eq 0 ] || [ "$second_status" -eq 0 ] || fail "neither concurrent run repaired"
    [ "$(products)" -eq 1 ] || fail "$(products) products after running the package again, not one"
    diff <(expected_files) <(installed_files "$installed") >/dev/null || fail "running the package again did not repair"

    echo "Windows package: the simulated designer, refused over another program's registration"
    local foreign='{0F0F0F0F-0000-4000-8000-00000000F00D}' ours='{D12C14A6-B3A5-4AD1-9B50-D7EAA6580B8F}'
    timeout 60 wine reg add 'HKLM\Software\Classes\Quillmark6.Application\CLSID' /ve /d "$foreign" /f >/dev/null 2>&1
    msiexec sim-refused /i "$(wine_path "$msi")" ADDLOCAL=SimulatedDesigner
    [ "$status" -ne 0 ] || fail "the simulated designer was installed over another program's registration"
    [ ! -e "$installed/strovexsim.dll" ] || fail "strovexsim.dll installed although refused"
    ! timeout 60 wine reg query 'HKCU\Software\Classes\Quillmark6.Application' >/dev/null 2>&1 \
        || fail "a registration for the user hides the machine's designer"
    timeout 60 wine reg query 'HKLM\Software\Classes\Quillmark6.Application\CLSID' 2>/dev/null | grep -q -F "$foreign" \
        || fail "the other program's registration was changed"
    diff <(expected_files) <(installed_files "$installed") >/dev/null || fail "the refusal changed the installed files"
    timeout 60 wine reg delete 'HKLM\Software\Classes\Quillmark6.Application' /f >/dev/null 2>&1

    echo "Windows package: the simulated designer for the user"
    msiexec sim /i "$(wine_path "$msi")" ADDLOCAL=SimulatedDesigner
    [ "$status" -eq 0 ] || fail "adding the simulated designer ended with status $status"
    timeout 60 wine reg query 'HKCU\Software\Classes\Quillmark6.Application\CLSID' 2>/dev/null | grep -q -F "$ours" \
        || fail "the simulated designer is not registered for the user"
    timeout 60 wine reg query "HKCU\\Software\\Classes\\CLSID\\$ours\\InprocServer32" 2>/dev/null \
        | grep -q -i -F "$installed_win\\strovexsim.dll" || fail "the user's class does not name the installed strovexsim.dll"
    # Wine's COM reads the machine's classes only (Windows reads the user's
    # first): the user's registration is copied there to run the program.
    timeout 60 wine reg copy 'HKCU\Software\Classes\Quillmark6.Application' 'HKLM\Software\Classes\Quillmark6.Application' /s /f >/dev/null 2>&1
    timeout 60 wine reg copy "HKCU\\Software\\Classes\\CLSID\\$ours" "HKLM\\Software\\Classes\\CLSID\\$ours" /s /f >/dev/null 2>&1
    local linux_dir="$log_dir/linux"
    mkdir -p "$linux_dir"
    cp -r "$STROVEX_ROOT/samples" "$linux_dir/samples"
    (cd "$linux_dir" && "$linux_cli" info --json samples/shipping_sscc.lbl) 2>&1 \
        | sed "s#$linux_dir#<here>#g" >"$log_dir/info-linux.txt"
    # Paths below the installed folder mapped as the Linux ones are; CR LF ends lines on Windows.
    (cd "$installed" && timeout 120 wine strovex-cli.exe info --json 'samples\shipping_sscc.lbl') 2>&1 \
        | ROOT="$installed_win" perl -pe '
            BEGIN { $root = join(qr{(?:\x5c\x5c|\x5c)}, map { quotemeta } split(/\x5c/, $ENV{ROOT})); }
            s/\r$//;
            s{$root((?:(?:\x5c\x5c|\x5c)[^\x5c"\r\n]+)*)}{ "<here>" . ($1 =~ s#\x5c\x5c|\x5c#/#gr) }gie;
        ' >"$log_dir/info-windows.txt"
    diff "$log_dir/info-linux.txt" "$log_dir/info-windows.txt" >&2 \
        || fail "strovex-cli.exe info on an installed sample differs from the Linux build"

    echo "Windows package: strovex.exe from the installed folder, under Xvfb"
    local shot="$WIN_APP_BUILD/strovex-msi-screenshot.png" display xvfb_pid app_pid
    display=:$((90 + RANDOM % 9))
    Xvfb "$display" -screen 0 1280x960x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    (cd "$installed" && DISPLAY=$display timeout 120 wine strovex.exe 'samples\shipping_sscc.lbl' >/dev/null 2>&1) &
    app_pid=$!
    sleep "${STROVEX_SCREENSHOT_DELAY:-10}"
    if DISPLAY=$display import -window root -trim +repage "$shot" && [ "$(identify -format '%w' "$shot")" -gt 400 ]; then
        echo "Windows package: screenshot saved to $shot"
    else
        fail "no window of the installed strovex.exe to take a screenshot of"
    fi
    DISPLAY=$display timeout 30 wine taskkill /im strovex.exe >/dev/null 2>&1 || true
    wait "$app_pid" 2>/dev/null || true
    timeout 120 wineserver -w
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    # The settings the user made (the window's bounds, stored when it closed).
    local settings='HKCU\Software\Orvandel\Strovexia\2.0\MainFormSettings'
    timeout 60 wine reg query "$settings" >/dev/null 2>&1 \
        || timeout 60 wine reg add "$settings" /v Width /t REG_DWORD /d 900 /f >/dev/null 2>&1

    echo "Windows package: uninstalling"
    msiexec uninstall /x "$(wine_path "$msi")"
    [ "$status" -eq 0 ] || fail "uninstalling ended with status $status"
    [ "$(products)" -eq 0 ] || fail "a product is still installed after uninstalling"
    [ -z "$(installed_files "$installed")" ] || fail "installed files left: $(installed_files "$installed" | head -n 5)"
    [ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left"
    ! timeout 60 wine reg query 'HKCU\Software\Classes\Quillmark6.Application' >/dev/null 2>&1 \
        || fail "the user's registration of the simulated designer is left"
    [ "$(user_path)" = "$long_path" ] || fail "PATH after uninstalling: $(user_path)"
    timeout 60 wine reg query "$settings" >/dev/null 2>&1 || fail "uninstalling removed the user's settings"

    echo "Windows package: ALLUSERS=1 installs for the machine"
    local machine_dir="$WINEPREFIX/drive_c/Program Files/Strovex"
    local machine_env='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
    machine_path() {
        timeout 60 wine reg query "$machine_env" /v Path 2>/dev/null | sed -n 's/^ *Path *REG_[A-Z_]* *//p' | tr -d '\r' \
            | sed 's/;;*/;/g; s/;$//'
    }
    local machine_before
    machine_before=$(machine_path)
    msiexec machine /i "$(wine_path "$msi")" ALLUSERS=1
    [ "$status" -eq 0 ] || fail "installing for the machine ended with status $status"
    diff <(expected_files) <(installed_files "$machine_dir") >/dev/null || fail "ALLUSERS=1 did not install into Program Files"
    [ "$(machine_path)" = "$machine_before;C:\\Program Files\\Strovex\\" ] || fail "the machine's PATH: $(machine_path)"
    [ "$(user_path)" = "$long_path" ] || fail "installing for the machine changed the user's PATH"
    msiexec machine-uninstall /x "$(wine_path "$msi")" ALLUSERS=1
    [ "$status" -eq 0 ] && [ -z "$(installed_files "$machine_dir")" ] || fail "uninstalling for the machine left files"
    [ "$(machine_path)" = "$machine_before" ] || fail "the machine's PATH after uninstalling: $(machine_path)"

    wineserver -k >/dev/null 2>&1 || true
    echo "Windows package: done in $((SECONDS - started)) s"
    [ "$failures" -eq 0 ]
)

strovex_windows_msi_tests || { echo "Windows package: checks failed" >&2; return 1; }
