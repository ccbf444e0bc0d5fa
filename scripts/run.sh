#!/usr/bin/env bash
# Installs what building and running needs, builds every program (build/geometrija, build/geometrija-lab,
# build/geometrija-cli),
# and shows the program on a pair of curves: an example from examples/ by name (default: default), or a
# folder of your own holding kriva1.txt and kriva2.txt. Without a display it runs under Xvfb, saves a
# screenshot and closes the window.
#
#   bash scripts/run.sh [EXAMPLE | FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
source "$root/scripts/xvfb.sh"

examples() { (cd "$root/examples" && echo */) | tr -d /; }
usage() { echo "usage: bash scripts/run.sh [EXAMPLE | FOLDER]   examples: $(examples)"; }

if [ $# -gt 1 ]; then
    echo "run.sh: give one example name or folder" >&2
    usage >&2
    exit 2
fi
arg=${1:-default}
case $arg in
    -h | --help)
        usage
        exit 0
        ;;
esac
# a name without a slash is an example first; anything else, or a name that is no example, a folder
if [[ $arg != */* ]] && [ -d "$root/examples/$arg" ]; then
    folder="$root/examples/$arg"
    name=$arg
elif [ -d "$arg" ]; then
    folder=$(cd "$arg" && pwd)
    name=$(basename "$folder")
else
    echo "run.sh: '$arg' is neither an example nor a folder" >&2
    echo "examples: $(examples)" >&2
    exit 2
fi
for file in kriva1.txt kriva2.txt; do
    if [ ! -e "$folder/$file" ]; then
        echo "run.sh: $folder holds no $file (the program reads kriva1.txt and kriva2.txt from its folder)" >&2
        exit 2
    fi
done

install_deps run
build="$root/build"
# a first configuration leaves the tests out: GoogleTest is among the checks' packages, not the run's
configure=()
[ -f "$build/CMakeCache.txt" ] || configure=(-DGEOMETRIJA_TESTS=OFF)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" >/dev/null
cmake --build "$build" --target programs
echo "built: $build/geometrija, $build/geometrija-lab and $build/geometrija-cli"

cd "$folder"
if [ -n "${DISPLAY:-}" ]; then
    exec "$build/geometrija"
fi

trap stop_xvfb EXIT
start_xvfb
"$build/geometrija" &
pid=$!
title="Geometrija - prikaz zadatka"
# wait for the window while the program runs: a file it refuses ends it at once, with its own line
id=""
for _ in $(seq 200); do
    id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$id" ]; then
    status=0
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        wait "$pid" 2>/dev/null || true
        echo "run.sh: the window did not appear" >&2
        exit 1
    fi
    wait "$pid" || status=$?
    echo "run.sh: geometrija ended with status $status before its window appeared" >&2
    exit 1
fi
mkdir -p "$build/screenshots"
png="$build/screenshots/$name.png"
capture_window "$id" "$png"
close_window "$id"
wait "$pid"
echo "screenshot: $png"
