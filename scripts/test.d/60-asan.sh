# Sourced by scripts/test after the main suite: the whole suite again, widget
# tests included, built with AddressSanitizer and UndefinedBehaviorSanitizer
# (the preset `asan`, build-asan). Any report fails the run.

echo "Sanitizers: building the asan preset"
{ cmake --preset asan -S "$STROVEX_ROOT" >/dev/null && cmake --build --preset asan -j2; } \
    || { echo "Sanitizers: build failed" >&2; return 1; }
# Leaks count too; the sanitizers stop a test at the first report.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --preset asan -j2 || { echo "Sanitizers: tests failed" >&2; return 1; }
