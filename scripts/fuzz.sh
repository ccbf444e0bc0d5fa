#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs them one after another, each for SECONDS
# (300 by default), all of them when no target is named:
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      e.g. scripts/fuzz.sh 600 search_fuzz
#
# Each target starts from its committed seeds (fuzz/corpus/<target>) and from what earlier runs found, kept in
# build-fuzz/fuzz-found/<target>; new inputs go there, never into the seeds. A crash or a failed check leaves
# its input in build-fuzz/fuzz-found/artifacts (crash-*, timeout-*, leak-*) and makes the script exit non-zero
# after the remaining targets have run. Replay one with: build-fuzz/fuzz/<target> <file>
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seconds=300
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DGEOMETRIJA_FUZZ=ON -DGEOMETRIJA_TESTS=OFF \
    -DGEOMETRIJA_WERROR=ON >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]}" || exit 1

artifacts=$build/fuzz-found/artifacts
mkdir -p "$artifacts"
failed=()
for target in "${targets[@]}"; do
    echo "=== $target: $seconds s"
    # run_target.sh leaves crash inputs in the current folder
    (cd "$artifacts" && bash "$root/fuzz/run_target.sh" "$build/fuzz/$target" "$root/fuzz/corpus/$target" \
        "$seconds" "$build/fuzz-found/$target") || failed+=("$target")
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]} (inputs in $artifacts)"
    exit 1
fi
echo "no target failed"
