#!/usr/bin/env bash
# Installs what is missing, builds, and shows the program on an example pair of curves (default:
# examples/default). Without a display it runs under Xvfb, saves a screenshot and closes the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/deps.sh"
source "$root/scripts/xvfb.sh"
example=${1:-default}

install_deps
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target geometrija

cd "$root/examples/$example"
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/geometrija"
fi

trap stop_xvfb EXIT
start_xvfb
"$root/build/geometrija" &
pid=$!
title="Geometrija - prikaz zadatka"
if ! id=$(wait_for_window "$title"); then
    wait "$pid" || true
    echo "the window did not appear" >&2
    exit 1
fi
mkdir -p "$root/build/screenshots"
png="$root/build/screenshots/$example.png"
capture_window "$id" "$png"
close_window "$id"
wait "$pid"
echo "screenshot: $png"
