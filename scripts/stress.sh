#!/usr/bin/env bash
# Builds the stress program in build-bench (optimised, with debug information) and runs it twice: the
# intersection search on 10,000 seeded random pairs of curves, checking its bounds on calls, depth, heap, time
# and the budget's share of ordinary pairs; then the adversarial hunt for slow inputs (400 changes per family,
# seed 18), which first measures the inputs issue #18 names. Arguments, when given, replace both runs with one
# run of the program with those arguments (--pairs N, --seed FIRST, --verbose, --literal, --untimed,
# --hunt ROUNDS, --save FOLDER). Exits non-zero when a bound is exceeded.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
install_deps

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DGEOMETRIJA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGEOMETRIJA_BENCH=ON >/dev/null
cmake --build "$build" --target geometrija-stress
if [ $# -gt 0 ]; then
    exec "$build/bench/geometrija-stress" "$@"
fi
"$build/bench/geometrija-stress"
"$build/bench/geometrija-stress" --hunt 400 --seed 18
