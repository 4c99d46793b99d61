# Sourced by scripts/test before the build: Graphviz, whose dot reads every
# DOT graph the graph test writes (a missing dot fails that test under CI=true).
ensure_packages graphviz
