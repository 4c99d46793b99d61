# Sourced by scripts/test after the main suite: every fuzz target for 60
# seconds in CI, 10 seconds elsewhere (STROVEX_FUZZ_SECONDS overrides both).

strovex_fuzz_seconds=${STROVEX_FUZZ_SECONDS:-$([ "${CI:-}" = true ] && echo 60 || echo 10)}
echo "Fuzzing: each target for $strovex_fuzz_seconds s"
"$STROVEX_ROOT/scripts/fuzz" "$strovex_fuzz_seconds" || { echo "Fuzzing found a fault" >&2; return 1; }
unset strovex_fuzz_seconds
