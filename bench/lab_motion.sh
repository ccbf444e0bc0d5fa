#!/usr/bin/env bash
# The lab's time from a mouse motion to the finished frame that shows it, under Xvfb with Mesa's software
# renderer: a control point is dragged in small steps and the lab (with --frame-times) reports each frame.
# Usage: bench/lab_motion.sh LAB [STEPS]   (scripts/bench.sh runs it with the lab it builds)
set -euo pipefail
lab=$1
steps=${2:-200}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/xvfb.sh"
work=$(mktemp -d /tmp/geometrija-lab-bench-XXXXXX)
started_xvfb=""
cleanup() {
    [ -n "$started_xvfb" ] && stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    start_xvfb
    started_xvfb=yes
fi

# two 32-point curves, seeded, crossing each other many times
python3 - "$work" <<'PY'
import os, random, sys
random.seed(32)
os.makedirs(os.path.join(sys.argv[1], "32-point"))
for name, phase in (("kriva1.txt", 0.0), ("kriva2.txt", 1.0)):
    with open(os.path.join(sys.argv[1], "32-point", name), "w") as out:
        out.write("32\n")
        for i in range(32):
            out.write("%g %g\n" % (i / 3.1, 4 * ((i + phase) % 2) + random.uniform(-0.5, 0.5)))
PY

measure() {
    local name=$1 folder=$2
    cp "$folder/kriva1.txt" "$folder/kriva2.txt" "$work/"
    (cd "$work" && exec "$lab" --frame-times 2>"$work/times") &
    local pid=$!
    local id
    id=$(wait_for_window "Geometrija - laboratorija") || { kill "$pid"; echo "no lab window" >&2; return 1; }
    # the handle of the first curve's first control point, where the camera puts it
    local at
    at=$(cd "$work" && "$root/build-bench/geometrija-cli" --json | python3 -c '
import json, math, sys
d = json.load(sys.stdin)
c = d["camera"]; p = d["curves"][0]["controlPoints"][0]
u = 2 * (c["e"] or 1) * math.tan(math.radians(22.5)) / 700
print(round(512 + (p[0] - c["cx"]) / u), round(350 - (p[1] - c["cy"]) / u))')
    set -- $at
    local x=$1 y=$2
    xdotool mousemove --window "$id" "$x" "$y" 2>/dev/null
    xdotool mousedown 1 2>/dev/null
    for i in $(seq "$steps"); do
        # a small circle around the start, one pixel step at a time, each motion waited for
        xdotool mousemove --sync --window "$id" $((x + (i % 40) - 20)) $((y + (i / 40 % 2) * 10)) 2>/dev/null || true
    done
    xdotool mouseup 1 2>/dev/null
    sleep 0.5
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    python3 - "$name" "$work/times" <<'PY'
import statistics, sys
times = sorted(float(line.split()[1]) for line in open(sys.argv[2]) if line.startswith("motion-to-frame"))
if not times:
    sys.exit("%s: no frame reported" % sys.argv[1])
p95 = times[min(len(times) - 1, int(0.95 * len(times)))]
print("%-10s %4d frames  median %7.3f ms  95th %7.3f ms  max %7.3f ms"
      % (sys.argv[1], len(times), statistics.median(times), p95, times[-1]))
PY
}

echo "lab: motion to finished frame, $steps motion steps per case"
for example in default many same tall; do
    measure "$example" "$root/examples/$example"
done
measure "32-point" "$work/32-point"
