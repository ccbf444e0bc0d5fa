#!/usr/bin/python3
"""The lab's window on a real X server (Xvfb), driven with xdotool as a user drives it.

  session  examples/lines in a scratch folder: the window opens with its title and shows the red curves
           and the handles of both control polygons; a control point dragged with the mouse moves its red
           segment and the white meeting point to where they must be; n shows the first level of the search;
           s writes both files with the dragged point; q ends the lab with status 0.
  refused  kriva1.txt missing: the reader's one line on standard output, status 1, and no window.

Nothing waits a fixed time for the lab: each step polls captures until the picture shows what it must.
"""
import argparse
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_test as shared  # noqa: E402
from window_test import TIMEOUT, Failure, Run, Xvfb, capture, check, colour_near, read_polygon  # noqa: E402

TITLE = "Geometrija - laboratorija"
BLUE_HANDLE = (26, 64, 217)  # the first control polygon's colour (0.1, 0.25, 0.85)
PLUM_HANDLE = (166, 26, 153)  # the second's (0.65, 0.1, 0.6)
KEPT = (0, 140, 38)  # a pair of pieces kept and halved, in the search's step view (0, 0.55, 0.15)


def find_lab_window(run):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE],
                               capture_output=True, text=True).stdout.split()
        if found:
            return int(found[0])
        if run.process.poll() is not None:
            out, err = run.output()
            raise Failure("the lab ended (status %d) without a window; stdout %r, stderr %r"
                          % (run.process.returncode, out, err))
        time.sleep(0.05)
    raise Failure("no window titled %r appeared" % TITLE)


def wait_for_picture(window, condition, what):
    """Captures until condition(picture) holds on a steady frame (two captures alike)."""
    previous = None
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        picture = capture(window)
        if picture and previous and picture.pixels == previous.pixels and condition(picture):
            return picture
        previous = picture
        time.sleep(0.05)
    raise Failure("the window never showed %s" % what)


def xdotool(*args, may_fail=False):
    """Runs xdotool; its chatter about input focus on a bare X server stays out of the log."""
    done = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True)
    check(may_fail or done.returncode == 0, "xdotool %s failed: %s" % (" ".join(map(str, args)), done.stderr))


class View:
    """The lab's first view: the program's camera, as the companion command reports it."""

    def __init__(self, cli, folder):
        out = subprocess.run([cli, "--json"], cwd=folder, capture_output=True, text=True, check=True).stdout
        camera = json.loads(out)["camera"]
        self.cx, self.cy = camera["cx"], camera["cy"]
        distance = camera["e"] if camera["e"] > 0 else 1.0
        self.unit = 2 * distance * math.tan(math.radians(shared.FIELD_OF_VIEW / 2)) / shared.HEIGHT  # per pixel

    def pixel(self, x, y):
        """Column and row (from the top) of the pixel that shows scene point (x, y)."""
        return shared.WIDTH / 2 + (x - self.cx) / self.unit, shared.HEIGHT / 2 - (y - self.cy) / self.unit

    def scene(self, column, row):
        """The scene point the lab takes for the pixel at column, row: its centre."""
        return (self.cx + (column + 0.5 - shared.WIDTH / 2) * self.unit,
                self.cy + (shared.HEIGHT / 2 - row - 0.5) * self.unit)


def float32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


def crossing(p, q, r, s):
    """Where the segments p-q and r-s cross."""
    d1 = (q[0] - p[0], q[1] - p[1])
    d2 = (s[0] - r[0], s[1] - r[1])
    e = (r[0] - p[0], r[1] - p[1])
    cross = d1[0] * d2[1] - d1[1] * d2[0]
    a = (e[0] * d2[1] - e[1] * d2[0]) / cross
    return p[0] + a * d1[0], p[1] + a * d1[1]


def colour_along(picture, view, a, b, colour, samples=9):
    """How many of the points spread along a-b show colour near them."""
    hits = 0
    for i in range(1, samples + 1):
        t = i / (samples + 1)
        column, row = view.pixel(a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
        hits += colour_near(picture, column, row, colour)
    return hits


def case_session(options):
    with tempfile.TemporaryDirectory(prefix="geometrija-lab-") as folder:
        for name in ("kriva1.txt", "kriva2.txt"):
            shutil.copy(os.path.join(options.examples, "lines", name), folder)
        first, second = (read_polygon(os.path.join(folder, n)) for n in ("kriva1.txt", "kriva2.txt"))
        view = View(options.cli, folder)
        run = Run(options.lab, folder)
        try:
            window = find_lab_window(run)
            # both curves in red, a handle on every control point in its polygon's colour
            picture = wait_for_picture(window, lambda p: shared.BEIGE in p.histogram(), "its first frame")
            for a, b in ((first[0], first[1]), (second[0], second[1])):
                check(colour_along(picture, view, a, b, shared.COLOURS["red"]) >= 7, "no red curve along %s-%s" % (a, b))
            for polygon, colour in ((first, BLUE_HANDLE), (second, PLUM_HANDLE)):
                for x, y in polygon:
                    column, row = view.pixel(x, y)
                    check(colour_near(picture, column, row, colour, radius=6),
                          "no handle at control point (%g, %g), pixel (%.1f, %.1f)" % (x, y, column, row))
            print("window %r: red curves and handles on all %d control points" % (TITLE, len(first) + len(second)))

            # drag the first curve's end from (10, 8) down to where (10, 2) is
            start = view.pixel(*first[1])
            target = tuple(round(v) for v in view.pixel(10, 2))
            xdotool("mousemove", "--window", window, round(start[0]), round(start[1]))
            xdotool("mousedown", 1)
            for k in range(1, 6):
                xdotool("mousemove", "--window", window, round(start[0] + (target[0] - start[0]) * k / 5),
                        round(start[1] + (target[1] - start[1]) * k / 5))
            xdotool("mouseup", 1)
            moved = tuple(float32(v) for v in view.scene(*target))
            meeting = crossing(first[0], moved, second[0], second[1])
            old_meeting = crossing(first[0], first[1], second[0], second[1])

            def dragged(p):
                mc, mr = view.pixel(*meeting)
                oc, orow = view.pixel(*old_meeting)
                return (colour_along(p, view, first[0], moved, shared.COLOURS["red"]) >= 7 and
                        colour_along(p, view, first[0], first[1], shared.COLOURS["red"], 5) <= 1 and
                        colour_near(p, mc, mr, shared.COLOURS["white"]) and not colour_near(p, oc, orow, shared.COLOURS["white"]))
            wait_for_picture(window, dragged, "the dragged segment with its meeting point moved to %s" % (meeting,))
            print("dragged (10, 8) to (%.4f, %.4f): the red segment and the white point at (%.4f, %.4f) followed"
                  % (moved + meeting))

            # the first level of the search: the hulls of the two whole curves, kept
            xdotool("key", "--window", window, "n")
            wait_for_picture(window, lambda p: colour_along(p, view, first[0], moved, KEPT, 9) >= 3,
                             "the first level's hulls")
            print("n: the first level of the search shows its kept pair")

            # save: both files hold the curves as they are now
            xdotool("key", "--window", window, "s")
            saved = os.path.join(folder, "kriva1.txt")
            deadline = time.monotonic() + TIMEOUT
            while read_polygon(saved) == first and time.monotonic() < deadline:
                time.sleep(0.05)
            written = read_polygon(saved)
            check(len(written) == 2 and written[0] == first[0], "saved %r" % written)
            check(all(abs(a - b) <= 1e-6 * max(1.0, abs(b)) for a, b in zip(written[1], moved)),
                  "saved end %r, the dragged position is %r" % (written[1], moved))
            check(read_polygon(os.path.join(folder, "kriva2.txt")) == second, "the second file changed")
            print("s: kriva1.txt holds the dragged point %r, kriva2.txt is unchanged" % (written[1],))

            # the lab is gone before xdotool has finished with its window
            xdotool("key", "--window", window, "q", may_fail=True)
            status = run.wait()
        finally:
            run.kill()
        out, err = run.output()
        check(status == 0, "status %d after q; stderr %r" % (status, err))
        check(out == b"", "printed %r" % out)
        print("q: status 0")


def case_refused(options):
    with tempfile.TemporaryDirectory(prefix="geometrija-lab-") as folder:
        shutil.copy(os.path.join(options.examples, "lines", "kriva2.txt"), folder)
        run = Run(options.lab, folder, window=False)
        status = run.wait()
        out, err = run.output()
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE], capture_output=True, text=True)
        check(status == 1, "status %d" % status)
        check(out == b"Greska pri otvaranju datoteke!\n", "standard output %r" % out)
        check(found.stdout.strip() == "", "a window appeared")
        print("one line, status 1, no window")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("case", choices=["session", "refused"])
    parser.add_argument("--lab", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--examples", required=True)
    options = parser.parse_args()
    for name in ("lab", "cli", "examples"):
        setattr(options, name, os.path.abspath(getattr(options, name)))
    shared.load_view(options.cli, options.examples)
    try:
        with Xvfb():
            {"session": case_session, "refused": case_refused}[options.case](options)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
