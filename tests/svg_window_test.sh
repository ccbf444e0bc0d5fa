#!/usr/bin/env bash
# The companion command's SVG picture against the program's real window, on one example pair:
#   svg_window_test.sh PROGRAM CLI SOURCE_DIR EXAMPLE MIN_SHARE
# Shows the example in the program's window under Xvfb and captures it, writes the same scene as SVG with
# the command, rasterises that with rsvg-convert, and compares the two pictures pixel by pixel. Passes when
# at least MIN_SHARE of the pixels (a fraction, e.g. 0.999) have exactly the same colour in both, and the
# picture is not just background.
set -euo pipefail
program=$1
cli=$2
root=$3
example=$4
share=$5

source "$root/scripts/xvfb.sh"
work=$(mktemp -d /tmp/geometrija-svg-XXXXXX)
cleanup() {
    stop_xvfb
    rm -rf "$work"
}
trap cleanup EXIT

# the window's picture
start_xvfb
cd "$root/examples/$example"
"$program" &
pid=$!
title=$("$cli" --json | /usr/bin/python3 -c 'import json, sys; print(json.load(sys.stdin)["view"]["title"])')
if ! id=$(wait_for_window "$title"); then
    kill "$pid" 2>/dev/null || true
    echo "the window did not appear" >&2
    exit 1
fi
if ! capture_window "$id" "$work/window.png"; then
    kill "$pid" 2>/dev/null || true
    echo "the window could not be captured" >&2
    exit 1
fi
close_window "$id"
wait "$pid" || true

# the command's picture
"$cli" --svg "$work/scene.svg" >/dev/null
rsvg-convert --format=png --output="$work/svg.png" "$work/scene.svg"

pngtopnm "$work/window.png" >"$work/window.ppm"
pngtopnm "$work/svg.png" >"$work/svg.ppm"
/usr/bin/python3 - "$work/window.ppm" "$work/svg.ppm" "$share" <<'EOF'
import sys

def read_ppm(path):
    """A binary PPM (P6) with 8-bit samples: width, height, RGB bytes."""
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            i = data.index(b"\n", i) + 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[i + 1:i + 1 + 3 * width * height]

ww, wh, window = read_ppm(sys.argv[1])
sw, sh, svg = read_ppm(sys.argv[2])
needed = float(sys.argv[3])
if (ww, wh) != (1024, 700) or (sw, sh) != (1024, 700):
    sys.exit("sizes differ from 1024 x 700: window %dx%d, svg %dx%d" % (ww, wh, sw, sh))
pixels = ww * wh
same = 0
differences = {}
colours = set()
for k in range(0, 3 * pixels, 3):
    a, b = window[k:k + 3], svg[k:k + 3]
    colours.add(a)
    if a == b:
        same += 1
    else:
        key = (tuple(a), tuple(b))
        differences[key] = differences.get(key, 0) + 1
agreement = same / pixels
print("%d of %d pixels agree exactly: %.4f%% (at least %.4f%% needed)"
      % (same, pixels, 100 * agreement, 100 * needed))
for (a, b), n in sorted(differences.items(), key=lambda item: -item[1])[:5]:
    print("  window %s, svg %s: %d pixels" % (a, b, n))
if len(colours) < 2:
    sys.exit("the window shows nothing but one colour")
if agreement < needed:
    sys.exit("the pictures differ too much")
EOF
