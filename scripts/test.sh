#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build with warnings as errors,
# once under the address and undefined-behaviour sanitizers. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
install_deps

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DGEOMETRIJA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DGEOMETRIJA_SANITIZE=ON
echo "all tests passed"
