# Sourced by scripts/test before the build: CUPS with a test printer, for the
# printer-driver test. Runs in the caller's shell, so it defines no globals
# beyond its function and leaves the options as they were.

strovex_cups_setup() {
    local printer=StrovexTest
    ensure_packages cups cups-client cups-bsd

    if ! lpstat -r 2>/dev/null | grep -q 'scheduler is running'; then
        # No service manager on these machines: start the daemon itself.
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo cupsd || echo "20-cups: cupsd did not start" >&2
        local i
        for i in $(seq 1 50); do
            lpstat -r 2>/dev/null | grep -q 'scheduler is running' && break
            sleep 0.2
        done
    fi
    if ! lpstat -r 2>/dev/null | grep -q 'scheduler is running'; then
        echo "20-cups: the CUPS scheduler is not running; the driver test will not find $printer" >&2
        return 0
    fi

    if ! lpstat -p "$printer" >/dev/null 2>&1; then
        # A model of CUPS's own sample drivers; the first label-printer model present wins.
        local model
        model=$(lpinfo -m 2>/dev/null | awk '{print $1}' | grep -m1 -E '^drv:///sample\.drv/zebra\.ppd$' || true)
        [ -n "$model" ] || model=$(lpinfo -m 2>/dev/null | awk '{print $1}' | grep -m1 -E 'sample\.drv/' || true)
        if [ -z "$model" ]; then
            echo "20-cups: no sample printer model found (lpinfo -m)" >&2
            return 0
        fi
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo lpadmin -p "$printer" -E -v file:///dev/null -m "$model" ||
            echo "20-cups: could not add the printer $printer" >&2
    fi
}

strovex_cups_setup
unset -f strovex_cups_setup
