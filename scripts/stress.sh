#!/usr/bin/env bash
# Builds the stress program in build-bench (optimised, with debug information) and runs it: the
# intersection search on 10,000 seeded random pairs of curves, checking its bounds on calls, depth, points
# and heap. Extra arguments go to the program (--pairs N, --seed FIRST, --verbose). Exits non-zero when a
# bound is exceeded.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
install_deps

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DGEOMETRIJA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGEOMETRIJA_BENCH=ON >/dev/null
cmake --build "$build" --target geometrija-stress
"$build/bench/geometrija-stress" "$@"
