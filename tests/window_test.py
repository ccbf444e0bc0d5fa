#!/usr/bin/python3
"""The program's window on a real X server (Xvfb), run as a user runs it.

Each invocation starts its own Xvfb and checks one case:

  program    the built program on an example pair: title, size and place of the window, the picture
             (background, and the curve, hull and intersection colours the driver draws, all of them
             inside the window, at the places the camera puts them), the same picture with the near and
             far planes fixed at 1 and 1000, the same picture as the build whose camera is fitted to the
             bounding box alone wherever that box's picture shows everything, then a window manager's
             close: status 0, nothing printed, exit handlers run.
  missing    kriva1.txt missing: one line on standard output, status 1, and no window ever created.
  extreme    a test scene at an eye distance far outside 1..1000 (or 0): its content shows where the
             camera puts it.
  unchanged  a test scene at an ordinary eye distance: the picture is pixel for pixel the one the fixed
             planes 1 and 1000 give.
"""
import argparse
import json
import math
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from Xlib import X
from Xlib import display as xdisplay

# The window's parameters and colours, as the program reports them (geometrija-cli --json, "view"); load_view
# sets them before any case runs.
TITLE = ""
WIDTH, HEIGHT = 0, 0
LEFT, TOP = 0, 0
FIELD_OF_VIEW = 0.0  # vertical, degrees
BEIGE = (0, 0, 0)  # the clear colour in 8 bits
COLOURS = {}  # the colour codes' colours in 8 bits, by name
CODES = {}  # the colour codes by name
CODE_NAMES = ["red", "green", "blue", "yellow", "orange", "magenta", "cyan", "purple", "white", "black"]
TIMEOUT = 20.0  # seconds for any one thing to happen; a whole cycle takes about a second


def framebuffer_byte(component):
    """A colour component as an 8-bit framebuffer holds it: times 255 in single precision, rounded half up."""
    single = struct.unpack("f", struct.pack("f", component))[0]
    product = struct.unpack("f", struct.pack("f", single * 255.0))[0]
    return int(math.floor(product + 0.5))


def load_view(cli, examples):
    """Reads the window's parameters from the program's companion command."""
    global TITLE, WIDTH, HEIGHT, LEFT, TOP, FIELD_OF_VIEW, BEIGE, COLOURS, CODES
    out = subprocess.run([cli, "--json"], cwd=os.path.join(examples, "default"), capture_output=True, text=True,
                         check=True).stdout
    view = json.loads(out)["view"]
    TITLE = view["title"]
    WIDTH, HEIGHT = view["width"], view["height"]
    LEFT, TOP = view["left"], view["top"]
    FIELD_OF_VIEW = view["fieldOfView"]
    BEIGE = tuple(framebuffer_byte(c) for c in view["background"])
    COLOURS = {name: tuple(framebuffer_byte(c) for c in rgb) for name, rgb in zip(CODE_NAMES, view["colors"])}
    CODES = {name: code for code, name in enumerate(CODE_NAMES)}


TOLERANCE = 3  # per channel, for the background's rounding to 8 bits


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- the X server -------------------------------------------------------------------------------------

class Xvfb:
    """An Xvfb on a display it picks itself (-displayfd); -noreset keeps it steady between clients."""

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + TIMEOUT
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.__exit__(None, None, None)
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        os.environ["DISPLAY"] = self.display
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()
        return False


# --- running the program ------------------------------------------------------------------------------

class Run:
    """The program started in folder, its output going to files there."""

    def __init__(self, program, folder, preload=(), marker=None, window=True):
        self.folder = folder
        env = dict(os.environ)
        sanitizer = []
        if preload:
            env["LD_PRELOAD"] = ":".join(preload)
            # a sanitizer build wants its runtime first among the loaded libraries; the shims need none
            sanitizer.append("verify_asan_link_order=0")
        if window:
            # In a sanitizer build, the leak check at exit would report the graphics driver's own
            # allocations (never freed, and unloaded by then, so not even attributable) and now and then
            # crash while scanning them. Memory errors are still caught; the unit tests check for leaks.
            sanitizer.append("detect_leaks=0")
        if sanitizer:
            env["ASAN_OPTIONS"] = ":".join(sanitizer + [env.get("ASAN_OPTIONS", "")])
        if marker:
            env["GEOMETRIJA_EXIT_MARKER"] = marker
        self.out_path = os.path.join(folder, ".stdout")
        self.err_path = os.path.join(folder, ".stderr")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen([program], cwd=folder, stdout=out, stderr=err, env=env)

    def wait(self, timeout=TIMEOUT):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise Failure("the program did not end within %g s" % timeout)

    def output(self):
        with open(self.out_path, "rb") as out, open(self.err_path, "rb") as err:
            return out.read(), err.read()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def find_window(run):
    """The id of the window titled TITLE, as soon as it exists."""
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--name", "^%s$" % TITLE],
                               capture_output=True, text=True).stdout.split()
        if found:
            check(len(found) == 1, "more than one window titled %r: %s" % (TITLE, found))
            return int(found[0])
        if run.process.poll() is not None:
            out, err = run.output()
            raise Failure("the program ended (status %d) without a window; stdout %r, stderr %r"
                          % (run.process.returncode, out, err))
        time.sleep(0.05)
    raise Failure("no window titled %r appeared" % TITLE)


def window_geometry(window):
    info = subprocess.run(["xwininfo", "-id", str(window)], capture_output=True, text=True, check=True).stdout
    fields = {}
    for line in info.splitlines():
        line = line.strip()
        if line.startswith("xwininfo: Window id:"):
            fields["title"] = line.split('"', 1)[1].rsplit('"', 1)[0]
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            if line.startswith(key + ":"):
                fields[key] = int(line.split(":", 1)[1])
    return fields


class Picture:
    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # RGB bytes, rows top to bottom

    def at(self, column, row):
        i = 3 * (row * self.width + column)
        return tuple(self.pixels[i:i + 3])

    def histogram(self):
        counts = {}
        p = self.pixels
        for rgb in zip(p[0::3], p[1::3], p[2::3]):
            counts[rgb] = counts.get(rgb, 0) + 1
        return counts


def parse_ppm(data):
    """A binary PPM (P6) as xwdtopnm writes it."""
    fields = []
    i = 0
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
    check(fields[0] == b"P6" and fields[3] == b"255", "unexpected capture format %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[i + 1:i + 1 + 3 * width * height]
    check(len(pixels) == 3 * width * height, "short capture")
    return Picture(width, height, pixels)


def capture(window):
    xwd = subprocess.run(["xwd", "-silent", "-id", str(window)], capture_output=True)
    if xwd.returncode != 0 or not xwd.stdout:
        return None
    pnm = subprocess.run(["xwdtopnm"], input=xwd.stdout, capture_output=True)
    if pnm.returncode != 0 or not pnm.stdout:
        return None
    return parse_ppm(pnm.stdout)


def near(rgb, colour):
    return all(abs(a - b) <= TOLERANCE for a, b in zip(rgb, colour))


def first_frame(window):
    """The window's picture once drawn: a mapped window shows nothing of the program until its first frame,
    so capture until the background is there and two captures in a row agree."""
    previous = None
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        picture = capture(window)
        if picture and previous and previous.pixels == picture.pixels and BEIGE in picture.histogram():
            return picture
        previous = picture
        time.sleep(0.05)
    raise Failure("the window never showed a steady picture on the background")


def close_like_a_window_manager(window, script):
    subprocess.run(["/usr/bin/python3", script, str(window)], check=True)


def show_and_close(options, folder, program, preload=()):
    """Runs program in folder, checks its window and closes it; returns the first frame."""
    marker = os.path.join(folder, ".exit-marker")
    if os.path.exists(marker):
        os.remove(marker)
    run = Run(program, folder, preload=(options.exit_marker,) + tuple(preload), marker=marker)
    try:
        window = find_window(run)
        geometry = window_geometry(window)
        check(geometry.get("title") == TITLE, "title %r" % geometry.get("title"))
        check((geometry.get("Width"), geometry.get("Height")) == (WIDTH, HEIGHT),
              "window is %sx%s, not %dx%d" % (geometry.get("Width"), geometry.get("Height"), WIDTH, HEIGHT))
        check((geometry.get("Absolute upper-left X"), geometry.get("Absolute upper-left Y")) == (LEFT, TOP),
              "window at (%s, %s), not (%d, %d)" % (geometry.get("Absolute upper-left X"),
                                                    geometry.get("Absolute upper-left Y"), LEFT, TOP))
        picture = first_frame(window)
        check((picture.width, picture.height) == (WIDTH, HEIGHT), "capture is %dx%d" % (picture.width, picture.height))
        close_like_a_window_manager(window, options.close_script)
        status = run.wait()
    finally:
        run.kill()
    out, err = run.output()
    check(status == 0, "status %d after the window was closed; stderr %r" % (status, err))
    check(out == b"", "printed %r on standard output" % out)
    check(err == b"", "printed %r on standard error" % err)
    check(os.path.exists(marker), "the process ended without running its exit handlers")
    return picture


# --- where the camera puts things ---------------------------------------------------------------------

def fit_camera(points):
    """Centre and viewing distance of the camera for a scene box widened by points from its starting corners
    (1024, 700) and (0, 0)."""
    min_x, min_y, max_x, max_y = 1024.0, 700.0, 0.0, 0.0
    for x, y in points:
        min_x, min_y, max_x, max_y = min(min_x, x), min(min_y, y), max(max_x, x), max(max_y, y)
    sx = abs(min_x) + max_x
    sy = abs(min_y) + max_y
    e = sx if 2 * sx > sy else sy
    return (max_x + min_x) / 2, (max_y + min_y) / 2, e if e > 0 else 1.0


def frame_camera(points):
    """The camera the program fits to the drawn points: the bounding box's fit where that shows every point
    from at most twice the eye distance framing needs, else the points' extent centred with 5% of the
    window and half a pixel to spare on each side."""
    xs, ys = [x for x, _ in points], [y for _, y in points]
    tangent = math.tan(math.radians(FIELD_OF_VIEW / 2))
    usable_width = tangent * WIDTH / HEIGHT * (1 - (0.05 * WIDTH + 0.5) / (WIDTH / 2))
    usable_height = tangent * (1 - (0.05 * HEIGHT + 0.5) / (HEIGHT / 2))
    framed = ((min(xs) + max(xs)) / 2, (min(ys) + max(ys)) / 2,
              max((max(xs) - min(xs)) / 2 / usable_width, (max(ys) - min(ys)) / 2 / usable_height))
    box = fit_camera(points)
    # the box's eye distance must also be a float well inside the float range (up to 2^120)
    if box[2] <= 2.0 ** 120 and all(inside(box, x, y) for x, y in points) and box[2] <= 2 * framed[2]:
        return box
    return framed if framed[2] > 0 else framed[:2] + (1.0,)


def project(camera, x, y):
    """Column and row (from the top) of the pixel that shows scene point (x, y)."""
    cx, cy, distance = camera
    focal = 1 / math.tan(math.radians(FIELD_OF_VIEW / 2))
    ndc_x = focal / (WIDTH / HEIGHT) * (x - cx) / distance
    ndc_y = focal * (y - cy) / distance
    return (ndc_x + 1) * WIDTH / 2, HEIGHT - (ndc_y + 1) * HEIGHT / 2


def colour_near(picture, column, row, colour, radius=2):
    c, r = int(column), int(row)
    for dr in range(-radius, radius + 1):
        for dc in range(-radius, radius + 1):
            if 0 <= c + dc < picture.width and 0 <= r + dr < picture.height and \
                    near(picture.at(c + dc, r + dr), colour):
                return True
    return False


def check_palette(picture, allowed):
    """Every pixel is the background or one of the allowed colours, and the background is the most common."""
    histogram = picture.histogram()
    background = max(histogram, key=histogram.get)
    check(near(background, BEIGE), "most common colour %s, not the background %s" % (background, BEIGE))
    palette = [BEIGE] + [COLOURS[name] for name in allowed]
    stray = {rgb: n for rgb, n in histogram.items() if not any(near(rgb, c) for c in palette)}
    check(not stray, "colours other than the background and %s: %s" % (", ".join(allowed) or "nothing", stray))
    present = {name for name in COLOURS if any(near(rgb, COLOURS[name]) for rgb in histogram)}
    return present


def inside(camera, x, y):
    column, row = project(camera, x, y)
    return 2 <= column < WIDTH - 2 and 2 <= row < HEIGHT - 2


def check_at(picture, camera, places, colour_name, what, every=False):
    """Checks the colour at each place the camera shows; with every, each place must be inside the window.
    colour_name may be a list of colours, any of which will do."""
    names = colour_name if isinstance(colour_name, list) else [colour_name]
    shown = 0
    for x, y in places:
        column, row = project(camera, x, y)
        if not inside(camera, x, y):
            check(not every, "%s at scene (%g, %g) lies outside the window, at pixel (%.1f, %.1f)"
                  % (what, x, y, column, row))
            continue
        shown += 1
        check(any(colour_near(picture, column, row, COLOURS[name]) for name in names),
              "no %s pixel for %s at scene (%g, %g), pixel (%.1f, %.1f)" % ("/".join(names), what, x, y, column, row))
    check(shown > 0, "none of the places for %s in %s lies inside the window" % (what, "/".join(names)))


# --- the curves of an example pair, computed here independently of the program --------------------------

def read_polygon(path):
    words = open(path).read().split()
    count = int(words[0], 0)
    values = [float(w) for w in words[1:1 + 2 * count]]
    return list(zip(values[0::2], values[1::2]))


def hull_corners(polygon):
    """The corners of the convex hull (monotone chain); none where all points share one height, for which the
    program draws no hull."""
    if len({y for _, y in polygon}) < 2:
        return []
    points = sorted(set(polygon))

    def cross(o, a, b):
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])

    def chain(ordered):
        out = []
        for p in ordered:
            while len(out) >= 2 and cross(out[-2], out[-1], p) <= 0:
                out.pop()
            out.append(p)
        return out[:-1]

    return chain(points) + chain(points[::-1])


def bezier(polygon, t):
    points = list(polygon)
    while len(points) > 1:
        points = [((1 - t) * a[0] + t * b[0], (1 - t) * a[1] + t * b[1]) for a, b in zip(points, points[1:])]
    return points[0]


# --- the cases ----------------------------------------------------------------------------------------

def program_camera(options, folder):
    """The camera the program fits, in scene units, as the companion command reports it."""
    out = subprocess.run([options.cli, "--json"], cwd=folder, capture_output=True, text=True, check=True).stdout
    camera = json.loads(out)["camera"]
    return camera["cx"], camera["cy"], camera["e"] if camera["e"] > 0 else 1.0


def exact_crossings(options, folder):
    """Where the curves cross or touch, and whether they share a stretch, by the exact mode."""
    out = subprocess.run([options.cli, "--exact"], cwd=folder, capture_output=True, text=True, check=True).stdout
    meeting = [(float(w[1]), float(w[2])) for w in map(str.split, out.splitlines()) if w[0] in ("crossing", "touch")]
    return meeting, any(line.startswith("overlap") for line in out.splitlines())


def case_program(options):
    draws = [name for name in options.draws.split(",") if name]
    with tempfile.TemporaryDirectory(prefix="geometrija-window-") as folder:
        source = os.path.join(options.examples, options.example)
        for name in ("kriva1.txt", "kriva2.txt"):
            shutil.copy(os.path.join(source, name), folder)
        curves = [read_polygon(os.path.join(folder, name)) for name in ("kriva1.txt", "kriva2.txt")]

        picture = show_and_close(options, folder, options.program)
        present = check_palette(picture, draws)
        for name in ("red", "yellow", "white"):
            if name not in draws:
                check(name not in present, "%s pixels, though the driver is not expected to draw %s yet" % (name, name))
                print("%s: not drawn by the driver yet, checked absent" % name)

        # everything drawn lies inside the window, where the program's camera puts it
        camera = program_camera(options, folder)
        samples = [bezier(curve, i / 499) for curve in curves for i in range(500)]
        # hull outlines, drawn later, may lie over the curves where they run together (at the ends, and all
        # along a straight curve)
        curve_colours = [name for name in ("red", "yellow", "white") if name in draws]
        if "red" in draws:
            check("red" in present, "no red pixel at all")
            check_at(picture, camera, samples[::25], curve_colours, "a curve", every=True)
        if "yellow" in draws:
            corners = [p for curve in curves for p in hull_corners(curve)]
            check_at(picture, camera, corners, ["yellow", "white"], "a hull corner", every=True)
            # and the hull holds every control point
            outside = [p for curve in curves for p in curve if not inside(camera, *p)]
            check(not outside, "control points outside the window: %s" % outside)
        if "white" in draws:
            crossings, shared = exact_crossings(options, folder)
            if crossings:
                check_at(picture, camera, crossings, "white", "an intersection", every=True)
                print("white at %d intersections" % len(crossings))
            elif not shared:
                check("white" not in present, "white pixels, though the curves do not meet")
                print("no intersection, no white")

        # the box the driver's content spans: the sampled curves, and the hulls' vertices once they are drawn
        boxed = []
        if "red" in draws:
            boxed += samples
        if "yellow" in draws:
            boxed += [p for curve in curves for p in curve]
        box_camera = fit_camera(boxed)
        box_shows_all = all(inside(box_camera, x, y) for x, y in boxed)
        if box_shows_all:
            # a picture the bounding box frames whole is the one the box's own fit gives, to the pixel
            check(all(math.isclose(a, b, rel_tol=1e-6, abs_tol=1e-6) for a, b in zip(camera, box_camera)),
                  "the camera %s is not the bounding box's %s, though that shows everything" % (camera, box_camera))
            boxed_picture = show_and_close(options, folder, options.box_fit)
            differing = sum(1 for i in range(0, len(picture.pixels), 3)
                            if picture.pixels[i:i + 3] != boxed_picture.pixels[i:i + 3])
            check(differing == 0, "%d pixels differ from the picture the bounding box's fit gives" % differing)
            print("the bounding box shows everything: the same picture as its own fit")
        else:
            print("the bounding box leaves content out: reframed to centre %g, %g at eye distance %g" % camera)

        # ordinary pictures are the ones the fixed planes 1 and 1000 give
        if camera[2] >= 2 and camera[2] <= 500:
            fixed = show_and_close(options, folder, options.program, preload=(options.fixed_planes,))
            check(fixed.pixels == picture.pixels, "the picture differs from the one with the planes at 1 and 1000")
        print("window %dx%d at (%d, %d), picture checked for %s, closed with status 0 and exit handlers run"
              % (WIDTH, HEIGHT, LEFT, TOP, ", ".join(["background"] + draws)))


def case_missing(options):
    with tempfile.TemporaryDirectory(prefix="geometrija-window-") as folder:
        shutil.copy(os.path.join(options.examples, "default", "kriva2.txt"), folder)
        # watch for any window created on the screen while the program runs
        watcher = xdisplay.Display()
        root = watcher.screen().root
        root.change_attributes(event_mask=X.SubstructureNotifyMask)
        watcher.sync()
        run = Run(options.program, folder, window=False)
        status = run.wait()
        out, err = run.output()
        watcher.sync()
        created = []
        while watcher.pending_events():
            event = watcher.next_event()
            if event.type in (X.CreateNotify, X.MapNotify):
                created.append(event.window.id)
        watcher.close()
        check(status == 1, "status %d, not 1" % status)
        check(out == b"Greska pri otvaranju datoteke!\n", "standard output %r" % out)
        check(out.count(b"\n") == 1, "not exactly one line")
        check(err == b"", "printed %r on standard error" % err)
        check(not created, "windows appeared: %s" % created)
        print("one line, status 1, no window")


def figure(width, height, x0=0.0, y0=0.0):
    """A scene spanning (x0, y0) to (x0 + width, y0 + height): a red wave, a yellow frame, white dots, a blue
    circle and a green line. Returns its text and, per colour, the scene places that colour must show."""
    lines, places = [], {}
    wave = [(x0 + width * i / 40, y0 + height * (0.5 + 0.4 * math.sin(2 * math.pi * i / 40))) for i in range(41)]
    for a, b in zip(wave, wave[1:]):
        lines.append("segment %r %r %r %r %d" % (a[0], a[1], b[0], b[1], CODES["red"]))
    places["red"] = [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2) for a, b in zip(wave, wave[1:])][::4]
    frame = [(x0, y0), (x0 + width, y0), (x0 + width, y0 + height), (x0, y0 + height)]
    for a, b in zip(frame, frame[1:] + frame[:1]):
        lines.append("segment %r %r %r %r %d" % (a[0], a[1], b[0], b[1], CODES["yellow"]))
    places["yellow"] = [(x0 + width / 2, y0), (x0 + width / 2, y0 + height), (x0, y0 + height / 4)]
    dots = [(x0 + width / 4, y0 + height / 2), (x0 + width / 2, y0 + height * 0.25), (x0 + width * 0.6, y0 + height * 0.75)]
    for x, y in dots:
        lines.append("point %r %r %d" % (x, y, CODES["white"]))
    places["white"] = dots
    radius = height / 4
    lines.append("circle %r %r %r %d" % (x0 + width / 2, y0 + height / 2, radius, CODES["blue"]))
    places["blue"] = [(x0 + width / 2, y0 + height / 2 + radius)]
    lines.append("line %r %r %r %r %d" % (x0 + width / 2, y0 + height * 0.1, width / 400, 0.0, CODES["green"]))
    places["green"] = [(x0 + width * 3 / 8, y0 + height * 0.1), (x0 + width * 5 / 8, y0 + height * 0.1)]
    points = wave + frame + dots
    return "\n".join(lines) + "\n", places, points


# name: (width, height, x0, y0); for the first eight the eye distance is the larger of width and height/2
SCENES = {
    "Thousandth": (0.001, 0.0008, 0.0, 0.0),
    "HalfUnit": (0.5, 0.4, 0.0, 0.0),
    "Thousands": (3000.0, 2000.0, 0.0, 0.0),
    "TenMillion": (1e7, 6e6, -5e6, -3e6),
    "Ordinary": (10.0, 8.0, 0.0, 0.0),
    "Centred": (20.0, 10.0, -10.0, -5.0),
    "NearBandLow": (2.5, 2.0, 0.0, 0.0),
    "Hundreds": (450.0, 300.0, 0.0, 0.0),
    # framed to their own extent: far from the origin, and across the whole float range (drawn scaled)
    "FarOut": (10.0, 8.0, 100000.0, 100000.0),
    "FloatLimit": (6.8e38, 2e38, -3.4e38, -1e38),
}


def show_scene(options, folder, text, preload=()):
    with open(os.path.join(folder, "scene.txt"), "w") as out:
        out.write(text)
    return show_and_close(options, folder, options.probe, preload)


def case_extreme(options):
    with tempfile.TemporaryDirectory(prefix="geometrija-window-") as folder:
        if options.scene == "AllAtOrigin":
            # e = 0: a dot at the origin, seen from one unit away, in the middle of the window
            text = "segment 0 0 0 0 %d\npoint 0 0 %d\n" % (CODES["red"], CODES["white"])
            places, points = {"white": [(0.0, 0.0)]}, [(0.0, 0.0)]
            allowed = ["red", "white"]
        else:
            text, places, points = figure(*SCENES[options.scene])
            allowed = list(places)
        camera = frame_camera(points)
        picture = show_scene(options, folder, text)
        check_palette(picture, allowed)
        for name, where in places.items():
            check_at(picture, camera, where, name, "the scene")
        if not 1 <= camera[2] <= 1000:
            # with the planes fixed at 1 and 1000 the same scene is not seen at all
            fixed = show_scene(options, folder, text, preload=(options.fixed_planes,))
            check(set(fixed.histogram()) == {BEIGE}, "with the planes at 1 and 1000 the scene still shows")
        print("%s: eye distance %g, content where the camera puts it" % (options.scene, camera[2]))


def case_unchanged(options):
    with tempfile.TemporaryDirectory(prefix="geometrija-window-") as folder:
        text, places, points = figure(*SCENES[options.scene])
        camera = frame_camera(points)
        picture = show_scene(options, folder, text)
        check_palette(picture, list(places))
        for name, where in places.items():
            check_at(picture, camera, where, name, "the scene")
        fixed = show_scene(options, folder, text, preload=(options.fixed_planes,))
        differing = sum(1 for i in range(0, len(picture.pixels), 3) if picture.pixels[i:i + 3] != fixed.pixels[i:i + 3])
        check(differing == 0, "%d pixels differ from the picture with the planes at 1 and 1000" % differing)
        print("%s: eye distance %g, identical to the picture with planes 1 and 1000" % (options.scene, camera[2]))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("case", choices=["program", "missing", "extreme", "unchanged"])
    parser.add_argument("--program", required=True, help="the built program")
    parser.add_argument("--box-fit", help="the program built with the camera fitted to the bounding box alone")
    parser.add_argument("--cli", required=True, help="the companion command, which reports the camera and the window")
    parser.add_argument("--probe", help="the test program that shows scene.txt")
    parser.add_argument("--exit-marker", required=True, help="preload library that marks a run of the exit handlers")
    parser.add_argument("--fixed-planes", required=True, help="preload library fixing the planes at 1 and 1000")
    parser.add_argument("--close-script", required=True, help="sends WM_DELETE_WINDOW to a window")
    parser.add_argument("--examples", required=True, help="the folder of example pairs")
    parser.add_argument("--example", default="default")
    parser.add_argument("--scene", default="Ordinary")
    parser.add_argument("--draws", default="",
                        help="comma-separated colours the driver draws on the examples: red, yellow, white")
    options = parser.parse_args()
    # the programs run in a temporary folder: make every path absolute
    for name in ("program", "box_fit", "cli", "probe", "exit_marker", "fixed_planes", "close_script", "examples"):
        if getattr(options, name):
            setattr(options, name, os.path.abspath(getattr(options, name)))
    load_view(options.cli, options.examples)
    case = {"program": case_program, "missing": case_missing, "extreme": case_extreme,
            "unchanged": case_unchanged}[options.case]
    try:
        with Xvfb():
            case(options)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
