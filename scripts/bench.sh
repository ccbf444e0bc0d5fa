#!/usr/bin/env bash
# Builds the benchmarks (optimised, into build-bench/) and runs them all, the first-frame one under Xvfb.
# Usage: scripts/bench.sh [BENCHMARK-NAME...]   e.g. scripts/bench.sh search_bench pipeline_bench
# Extra Google Benchmark flags go through BENCH_FLAGS, e.g. BENCH_FLAGS=--benchmark_repetitions=5.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
source "$root/scripts/xvfb.sh"
install_deps

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DGEOMETRIJA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEOMETRIJA_BENCH=ON \
    >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    names=(search_bench hull_bench pipeline_bench exact_bench first_frame_bench lab_motion)
    # the comparison with lib2geom is built where its package is installed (the bench group installs it)
    [ -x "$build/bench/peer_bench" ] && names+=(peer_bench)
fi
trap stop_xvfb EXIT
start_xvfb
echo "$(date -u +%Y-%m-%d) on $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
for name in "${names[@]}"; do
    echo "=== $name"
    if [ "$name" = lab_motion ]; then
        bash "$root/bench/lab_motion.sh" "$build/geometrija-lab"
        continue
    fi
    # shellcheck disable=SC2086
    "$build/bench/$name" ${BENCH_FLAGS:-}
done
