# Sourced by scripts/test after the Linux suites: builds strovex.exe,
# strovex-cli.exe and strovexsim.dll against the Qt kit for MinGW-w64 and proves
# them under Wine, talking real COM to the simulated designer's server:
#   - every sample through both command-line tools, the Windows one over COM,
#     gives the same files and the same text as the Linux one;
#   - every designer call of one label's run made to fail once gives the same
#     status and message as on Linux, writes nothing and does not crash;
#   - no designer object is left alive when a program ends;
#   - strovex.exe shows the samples (a screenshot is saved) and, closed,
#     leaves the designer holding nothing;
#   - strovexsim.dll leaves another program's registration alone;
#   - the services suite passes (registry settings, file search, script files);
#   - the shared suites that hold on Windows pass under Wine too;
#   - the zip opens a label in a fresh Wine prefix.

strovex_windows_app_tests() (
    source "$STROVEX_ROOT/scripts/windows-app.sh"
    local started=$SECONDS

    if ! ensure_packages "${WIN_APP_PACKAGES[@]}" xvfb xauth imagemagick fonts-dejavu-core \
        || ! command -v wine >/dev/null || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
        if [ -n "${CI:-}" ]; then
            echo "Windows programs: MinGW-w64 or Wine could not be installed" >&2
            return 1
        fi
        echo "Windows programs: MinGW-w64 or Wine could not be installed here; skipping (CI runs them)."
        return 0
    fi

    echo "Windows programs: building against the Qt kit (built once, then cached)"
    # Every shared suite; what is POSIX only in them is compiled out there
    # (see docs/windows.md).
    local shared_suites=(test_automation test_sim test_inspect test_output test_tools test_browse test_cli test_app_core
        test_settings_core test_faults test_output_widgets test_app_widgets test_browse_widgets test_inspect_widgets
        test_settings_widgets)
    STROVEX_WIN_APP_TESTS=ON build_windows_app strovex strovex-cli strovexsim test_windows_services "${shared_suites[@]}" \
        || { echo "Windows programs: the build failed" >&2; return 1; }
    local kit=$STROVEX_QT_KIT
    local cli_exe="$WIN_APP_BUILD/strovex-cli.exe"
    local app_exe="$WIN_APP_BUILD/strovex.exe"
    local server_dll="$WIN_APP_BUILD/strovexsim.dll"
    local linux_cli="$STROVEX_ROOT/build/src/cli/strovex-cli"
    [ -x "$linux_cli" ] || { echo "Windows programs: the Linux build is missing ($linux_cli)" >&2; return 1; }

    echo "Windows programs: preparing a Wine prefix"
    new_wine_prefix "$WIN_APP_BUILD/wineprefix" || { echo "Windows programs: wineboot failed" >&2; return 1; }
    local dir winepath=""
    for dir in "$kit/bin" $(mingw_runtime_dirs); do
        winepath+="$(wine_path "$dir");"
    done
    export WINEPATH="$winepath"
    timeout 120 wine regsvr32 /s "$(wine_path "$server_dll")" \
        || { echo "Windows programs: regsvr32 strovexsim.dll failed" >&2; return 1; }

    echo "Windows programs: the suite of the Windows services (registry, file search, scripts, version)"
    timeout 300 wine "$WIN_APP_BUILD/test_windows_services.exe" --gtest_brief=1 \
        || { echo "Windows programs: the Windows services suite failed" >&2; return 1; }
    local suite suites_started=$SECONDS
    # The offscreen platform on Windows reads fonts from a folder only (Qt
    # ships none): the suites measure text, so they get a proportional and a
    # fixed-pitch family. Wine hands no QT_* variable to Windows programs but
    # passes WINEQT_* as QT_*.
    local fonts=/usr/share/fonts/truetype/dejavu
    [ -f "$fonts/DejaVuSansMono.ttf" ] || { echo "Windows programs: no fonts in $fonts" >&2; return 1; }
    for suite in "${shared_suites[@]}"; do
        # Headless: widget suites on the offscreen platform.
        QT_QPA_PLATFORM=offscreen WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR="$(wine_path "$fonts")" \
            timeout 300 wine "$WIN_APP_BUILD/$suite.exe" --gtest_brief=1 \
            || { echo "Windows programs: the suite $suite failed under Wine" >&2; return 1; }
    done
    echo "Windows programs: the shared suites passed under Wine in $((SECONDS - suites_started)) s"

    local proof="$WIN_APP_BUILD/proof"
    rm -rf "$proof"
    mkdir -p "$proof/linux" "$proof/win"
    cp -r "$STROVEX_ROOT/samples" "$proof/linux/samples"
    cp -r "$STROVEX_ROOT/samples" "$proof/win/samples"
    # Each Windows run appends the server's live counts here when it ends.
    export STROVEX_SIM_LIVE_FILE="$(wine_path "$proof/live.txt")"
    local windows_runs=0 failures=0

    # run SIDE NAME ARGS...: runs the side's CLI in its folder; status, standard
    # output and error go to SIDE/log/NAME.{status,out,err}.
    run() {
        local side=$1 name=$2
        shift 2
        mkdir -p "$proof/$side/log"
        local status=0
        if [ "$side" = linux ]; then
            (cd "$proof/linux" && STROVEX_DATA_DIR="$proof/linux/data" timeout 120 "$linux_cli" "$@") \
                >"$proof/linux/log/$name.out" 2>"$proof/linux/log/$name.err" || status=$?
        else
            windows_runs=$((windows_runs + 1))
            (cd "$proof/win" && STROVEX_DATA_DIR="$(wine_path "$proof/win/data")" timeout 120 wine "$cli_exe" "$@") \
                >"$proof/win/log/$name.out" 2>"$proof/win/log/$name.err" || status=$?
        fi
        echo "$status" >"$proof/$side/log/$name.status"
    }
    both() {
        run linux "$@"
        run win "$@"
    }

    echo "Windows programs: every sample through both command-line tools"
    local sample base ext
    for sample in "$STROVEX_ROOT"/samples/*.lbl; do
        base=$(basename "$sample" .lbl)
        mkdir -p "$proof/linux/out" "$proof/win/out"
        both "$base.info" info --json "samples/$base.lbl"
        for ext in job xml csv dat; do
            both "$base.command-$ext" command-file "samples/$base.lbl" "out/$base.$ext"
        done
        both "$base.graph-dot" graph "samples/$base.lbl" "out/$base.dot"
        both "$base.graph-dgml" graph "samples/$base.lbl" "out/$base.dgml"
        both "$base.variables" export-variables "samples/$base.lbl" "out/$base.variables.csv"
    done

    echo "Windows programs: each batch command on a copy of samples/collection"
    local side
    for side in linux win; do
        for dir in set-printer set-paths set-variable-length extract-scripts; do
            cp -r "$STROVEX_ROOT/samples/collection" "$proof/$side/$dir"
        done
    done
    both batch.set-printer set-printer "Office Printer" --folder set-printer
    both batch.set-paths set-paths "C:\\Labels\\Pictures" "D:\\Shared\\Pictures" --folder set-paths
    both batch.set-variable-length set-variable-length Price 12 --folder set-variable-length
    both batch.extract-scripts extract-scripts --folder extract-scripts

    # Paths mapped: standard output and error end lines with CR LF on Windows;
    # messages and reports spell paths with backslashes (doubled in JSON), and an
    # absolute path starts with the drive under which Wine shows the Linux root.
    # Only paths below the proof folders or the folders named on the command
    # line are mapped: backslashes in label contents (picture paths) stay.
    local f
    normalise() {
        local side=$1
        shift
        if [ "$side" = win ]; then
            ROOT="${win_root:-$proof/win}" perl -i -pe '
                BEGIN {
                    $sep = qr{(?:\x5c\x5c|\x5c|/)};
                    $root = join($sep, map { quotemeta } grep { length } split(m{/}, $ENV{ROOT}));
                    $relative = qr{(?:samples|out|set-printer|set-paths|set-variable-length|extract-scripts)};
                    $segment = qr{[^\x5c/"\r\n]+};
                }
                s/\r$//;
                s{Z:$sep$root((?:$sep$segment)*)}{ "<here>" . ($1 =~ s#$sep#/#gr) }gie;
                s{(?<![\w\x5c/])($relative(?:$sep$segment)+)}{ $1 =~ s#$sep#/#gr }ge;
            ' "$@"
        else
            sed -i -e "s#$proof/linux#<here>#g" "$@"
        fi
    }
    normalise win "$proof"/win/log/*.out "$proof"/win/log/*.err
    normalise linux "$proof"/linux/log/*.out "$proof"/linux/log/*.err
    # A journalled run is named by the time it started: the two builds ran apart.
    sed -i -E 's/[0-9]{8}-[0-9]{6}(-[0-9]+)?/<run>/g' "$proof"/win/log/*.out "$proof"/linux/log/*.out
    # Files written name their label with its absolute path (command files in
    # UTF-16): compared with that path mapped, every other byte as it is.
    if ! perl - "$proof" <<'PERL' >"$proof/diff-out.txt"; then
use strict;
use warnings;
use Encode qw(decode encode);
my ($proof) = @ARGV;
my $sep = qr{(?:\x5c\x5c|\x5c|/)};
my $root = join($sep, map { quotemeta } grep { length } split(m{/}, "$proof/win"));
my $segment = qr{[^\x5c/"\r\n\x00]+};
sub mapped {
    my ($bytes, $side) = @_;
    my $utf16 = substr($bytes, 0, 2) eq "\xFF\xFE";
    my $text = $utf16 ? decode('UTF-16LE', substr($bytes, 2)) : $bytes;
    if ($side eq 'win') {
        $text =~ s{Z:$sep$root((?:$sep$segment)*)}{ "<here>" . ($1 =~ s#$sep#/#gr) }gie;
    } else {
        $text =~ s{\Q$proof/linux\E}{<here>}g;
    }
    return ($utf16 ? 'UTF-16 ' : '8-bit ') . ($utf16 ? encode('UTF-8', $text) : $text);
}
sub slurp { local $/; open(my $f, '<:raw', $_[0]) or return undef; return <$f>; }
my $differ = 0;
opendir(my $dir, "$proof/linux/out") or die;
for my $name (sort grep { !/^\./ } readdir($dir)) {
    my $linux = slurp("$proof/linux/out/$name");
    my $win = slurp("$proof/win/out/$name");
    if (!defined $win) { print "missing on Windows: $name\n"; $differ++; next; }
    next if $linux eq $win;
    if (mapped($linux, 'linux') ne mapped($win, 'win')) { print "differs: $name\n"; $differ++; }
}
opendir(my $wdir, "$proof/win/out") or die;
for my $name (sort grep { !/^\./ } readdir($wdir)) {
    if (!-e "$proof/linux/out/$name") { print "only on Windows: $name\n"; $differ++; }
}
exit($differ ? 1 : 0);
PERL
        echo "Windows programs: files written differ between the builds:" >&2
        head -n 40 "$proof/diff-out.txt" >&2
        failures=$((failures + 1))
    fi
    # The label view's lists are sorted by path, and the proof folder is "/..."
    # on Linux but "Z:\..." on Windows: a list holding it and paths on other
    # drives may order them differently. Such a pair passes when it holds the
    # same lines, commas aside.
    local name
    for f in "$proof"/linux/log/*; do
        name=$(basename "$f")
        cmp -s "$f" "$proof/win/log/$name" && continue
        if [[ "$name" == *.info.out ]] \
            && cmp -s <(sed 's/,$//' "$f" | sort) <(sed 's/,$//' "$proof/win/log/$name" | sort); then
            echo "Windows programs: $name: same lines, in another order (paths sorted under another root)"
            continue
        fi
        echo "Windows programs: $name differs between the builds:" >&2
        diff "$f" "$proof/win/log/$name" | head -n 20 >&2
        failures=$((failures + 1))
    done
    local compared
    for compared in set-printer set-paths set-variable-length extract-scripts; do
        if ! diff -r "$proof/linux/$compared" "$proof/win/$compared" >"$proof/diff-$compared.txt"; then
            echo "Windows programs: the Windows build differs from the Linux one in $compared:" >&2
            head -n 40 "$proof/diff-$compared.txt" >&2
            failures=$((failures + 1))
        fi
    done
    if [ "$(grep -l -v '^0$' "$proof"/win/log/*.info.status | wc -l)" -gt 1 ]; then
        echo "Windows programs: more than the damaged sample failed to load" >&2
        failures=$((failures + 1))
    fi

    echo "Windows programs: every designer call of one label's run made to fail once"
    local calls
    (cd "$proof/linux" && STROVEX_SIM_LOG="$proof/calls.log" "$linux_cli" command-file samples/shipping_sscc.lbl out/calls.xml) >/dev/null
    calls=$(wc -l <"$proof/calls.log")
    [ "$calls" -gt 0 ] || { echo "Windows programs: the call log is empty" >&2; return 1; }
    local n status out
    for n in $(seq 1 "$calls"); do
        for side in linux win; do
            out="out/sweep-$n.xml"
            STROVEX_SIM_FAIL_CALL=$n run "$side" "sweep-$n" command-file samples/shipping_sscc.lbl "$out"
            status=$(cat "$proof/$side/log/sweep-$n.status")
            if [ "$status" != 0 ]; then
                if [ -e "$proof/$side/$out" ] || [ ! -s "$proof/$side/log/sweep-$n.err" ]; then
                    echo "Windows programs: call $n failed on $side: a file was written or no message given" >&2
                    failures=$((failures + 1))
                fi
            fi
        done
        normalise win "$proof/win/log/sweep-$n.out" "$proof/win/log/sweep-$n.err"
        normalise linux "$proof/linux/log/sweep-$n.out" "$proof/linux/log/sweep-$n.err"
        for f in status out err; do
            if ! cmp -s "$proof/linux/log/sweep-$n.$f" "$proof/win/log/sweep-$n.$f"; then
                echo "Windows programs: with call $n failing, $f differs:" >&2
                diff "$proof/linux/log/sweep-$n.$f" "$proof/win/log/sweep-$n.$f" | head -n 10 >&2
                failures=$((failures + 1))
            fi
        done
    done
    echo "Windows programs: $calls failing calls checked"

    local live_lines
    live_lines=$(wc -l <"$proof/live.txt" 2>/dev/null || echo 0)
    if [ "$live_lines" -ne "$windows_runs" ] || grep -v -x 'server objects 0, designer objects 0' "$proof/live.txt" >&2; then
        echo "Windows programs: designer objects alive at the end ($live_lines reports for $windows_runs runs)" >&2
        failures=$((failures + 1))
    fi
    unset STROVEX_SIM_LIVE_FILE

    echo "Windows programs: strovex.exe with the samples, under Xvfb"
    local shot="$WIN_APP_BUILD/strovex-windows-screenshot.png" display xvfb_pid app_pid
    local samples=()
    for sample in "$proof"/win/samples/*.lbl; do
        case "$sample" in *damaged*) ;; *) samples+=("$(wine_path "$sample")") ;; esac
    done
    display=:$((80 + RANDOM % 9))
    Xvfb "$display" -screen 0 1280x960x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    DISPLAY=$display STROVEX_SIM_LIVE_FILE="$(wine_path "$proof/live-app.txt")" \
        timeout 120 wine "$app_exe" "${samples[@]}" >/dev/null 2>&1 &
    app_pid=$!
    sleep "${STROVEX_SCREENSHOT_DELAY:-10}"
    if DISPLAY=$display import -window root -trim +repage "$shot" \
        && [ "$(identify -format '%w' "$shot")" -gt 400 ]; then
        echo "Windows programs: screenshot saved to $shot"
    else
        echo "Windows programs: no window to take a screenshot of" >&2
        failures=$((failures + 1))
    fi
    # Closed as a user closes it (WM_CLOSE), before its display goes, else it
    # hangs: then the designer holds nothing.
    DISPLAY=$display timeout 30 wine taskkill /im strovex.exe >/dev/null 2>&1 || true
    wait "$app_pid" 2>/dev/null || true
    if [ "$(cat "$proof/live-app.txt" 2>/dev/null)" != "server objects 0, designer objects 0" ]; then
        echo "Windows programs: strovex.exe left designer objects alive: $(cat "$proof/live-app.txt" 2>/dev/null)" >&2
        failures=$((failures + 1))
    fi
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true

    echo "Windows programs: another program's registration is never replaced nor removed"
    local foreign='{0F0F0F0F-0000-4000-8000-00000000F00D}' reg_out reg_status=0
    timeout 60 wine reg add 'HKCR\Quillmark5.Application\CLSID' /ve /d "$foreign" /f >/dev/null 2>&1
    reg_out=$(cd "$WIN_APP_BUILD" && timeout 120 wine regsvr32 /s /n /i:5 strovexsim.dll 2>&1) || reg_status=$?
    (cd "$WIN_APP_BUILD" && timeout 120 wine regsvr32 /u /s strovexsim.dll) >/dev/null 2>&1
    if [ "$reg_status" -eq 0 ] \
        || [[ "$reg_out" != *'"Quillmark5.Application" is registered to another program; its registration was left as it is.'* ]] \
        || ! timeout 60 wine reg query 'HKCR\Quillmark5.Application\CLSID' 2>/dev/null | grep -q -F "$foreign" \
        || timeout 60 wine reg query 'HKCR\Quillmark6.Application' >/dev/null 2>&1; then
        echo "Windows programs: registration over another program's identifier: status $reg_status, said: $reg_out" >&2
        failures=$((failures + 1))
    fi
    wineserver -k >/dev/null 2>&1 || true

    echo "Windows programs: as a Windows user meets them (console text, absolute paths, manifest)"
    local tool
    for tool in "$app_exe" "$cli_exe"; do
        if ! wrestool -x --raw --type=24 --name=1 "$tool" 2>/dev/null | grep -q '<longPathAware[^>]*>true<'; then
            echo "Windows programs: $(basename "$tool") carries no application manifest with longPathAware" >&2
            failures=$((failures + 1))
        fi
    done
    # The check above left the simulated designer unregistered.
    (cd "$WIN_APP_BUILD" && timeout 120 wine regsvr32 /s strovexsim.dll) >/dev/null 2>&1 \
        || { echo "Windows programs: registering strovexsim.dll again failed" >&2; failures=$((failures + 1)); }
    # A console gets UTF-16 through WriteConsoleW: from a terminal, Wine's
    # console hands it on as UTF-8, where UTF-8 bytes written to the console
    # would have gone through its code page (437) and come out garbled.
    local console_out="$proof/console-info.txt"
    (cd "$proof/win" && timeout 120 script -qec "wine '$cli_exe' info samples/international.lbl" /dev/null) \
        >"$console_out" 2>&1 </dev/null || true
    if ! grep -q 'Tiskalnik Čž – skladišče' "$console_out"; then
        echo "Windows programs: text outside ASCII reached the console garbled:" >&2
        grep -a 'Printer:' "$console_out" | head -n 2 >&2
        failures=$((failures + 1))
    fi
    # The designer is given absolute, native paths, whatever the current folder.
    rm -f "$proof/calls-win.log"
    (cd "$proof/win/out" && STROVEX_SIM_LOG="$(wine_path "$proof/calls-win.log")" timeout 120 wine "$cli_exe" \
        info ../samples/shipping_sscc.lbl) >/dev/null 2>&1 || true
    # The log escapes each backslash of a text.
    local given
    given=$(wine_path "$proof/win/samples/shipping_sscc.lbl")
    if ! grep -q -F "OpenLabel	method	\"${given//\\/\\\\}\"" "$proof/calls-win.log"; then
        echo "Windows programs: the designer was not given the absolute native path:" >&2
        grep OpenLabel "$proof/calls-win.log" >&2
        failures=$((failures + 1))
    fi
    wineserver -k >/dev/null 2>&1 || true

    echo "Windows programs: the zip in a fresh Wine prefix"
    "$STROVEX_ROOT/scripts/package-windows" >/dev/null || { echo "Windows programs: packaging failed" >&2; return 1; }
    local zip unpacked="$WIN_APP_BUILD/zip-check"
    zip=$(ls "$WIN_APP_BUILD"/strovex-*-win64.zip)
    rm -rf "$unpacked"
    mkdir -p "$unpacked"
    unzip -q "$zip" -d "$unpacked"
    local top
    top=$(ls -d "$unpacked"/*/)
    unset WINEPATH
    new_wine_prefix "$WIN_APP_BUILD/wineprefix-zip" || { echo "Windows programs: wineboot failed" >&2; return 1; }
    # From its folder, as a user runs it: the DLLs it loads are found there.
    (cd "$top" && timeout 120 wine regsvr32 /s strovexsim.dll) \
        || { echo "Windows programs: regsvr32 of the unzipped strovexsim.dll failed" >&2; failures=$((failures + 1)); }
    (cd "$top" && timeout 120 wine strovex-cli.exe info 'samples\shipping_sscc.lbl') >"$proof/zip-info.txt" 2>&1 \
        && grep -q '^Label Info' "$proof/zip-info.txt" \
        || { echo "Windows programs: strovex-cli.exe info from the zip failed:" >&2; cat "$proof/zip-info.txt" >&2; failures=$((failures + 1)); }
    # The same as the Linux build, paths mapped (JSON: no column widths that follow the path's length).
    (cd "$top" && timeout 120 wine strovex-cli.exe info --json 'samples\shipping_sscc.lbl') >"$proof/zip-info.out" 2>&1
    (cd "$proof/linux" && "$linux_cli" info --json samples/shipping_sscc.lbl) >"$proof/linux-info.out"
    win_root="${top%/}" normalise win "$proof/zip-info.out"
    normalise linux "$proof/linux-info.out"
    if ! diff "$proof/linux-info.out" "$proof/zip-info.out" >&2; then
        echo "Windows programs: info from the zip differs from the Linux build" >&2
        failures=$((failures + 1))
    fi
    wineserver -k >/dev/null 2>&1 || true

    echo "Windows programs: done in $((SECONDS - started)) s, $windows_runs runs of strovex-cli.exe"
    [ "$failures" -eq 0 ]
)

strovex_windows_app_tests || { echo "Windows programs: checks failed" >&2; return 1; }
