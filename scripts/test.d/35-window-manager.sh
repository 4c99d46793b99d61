# Sourced by scripts/test before the build: Xvfb and openbox, which the window
# bounds suite (test_window_manager) starts on a display of its own.
ensure_packages xvfb openbox
