#!/usr/bin/env bash
# Installs what is missing, builds, and runs every check, exiting non-zero on any failure:
# 1. every test in a normal build with warnings as errors;
# 2. the Debian package: built with CPack from that build, installed with apt-get, run, removed;
# 3. every test again under the address and undefined-behaviour sanitizers;
# 4. valgrind memcheck on the numeric pipeline for every example and on the program's window;
# 5. each fuzz target for a short fixed time (clang, libFuzzer, sanitizers; GEOMETRIJA_FUZZ_SECONDS each).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
install_deps test

jobs=$(nproc)
run_suite() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DGEOMETRIJA_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEOMETRIJA_TESTS=ON
bash "$root/scripts/package_test.sh" "$root/build"
run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DGEOMETRIJA_SANITIZE=ON
bash "$root/scripts/memcheck.sh" "$root/build"
CC=clang CXX=clang++ run_suite "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEOMETRIJA_TESTS=OFF \
    -DGEOMETRIJA_FUZZ=ON -DGEOMETRIJA_FUZZ_SECONDS="${GEOMETRIJA_FUZZ_SECONDS:-30}"
echo "all tests passed"
