#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/<target>/ (run from anywhere; the files are committed).

The hull, segment and search targets read their inputs through libFuzzer's FuzzedDataProvider, which takes
integers from the end of the data, most significant byte first, using only as many bytes as the range needs.
Provider below writes values in the order a target consumes them and lays the bytes out that way, so each
seed decodes to the case named beside it: the example curves, collinear and touching segments, and so on.
Other files in the corpora are inputs the fuzzers found, kept as they are.
"""
import math
import os
import random
import struct

ROOT = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(ROOT, "..", "examples")


class Provider:
    def __init__(self):
        self.consumed = []  # bytes in the order they are taken

    def integral(self, lo, hi, value):
        span = hi - lo
        assert lo <= value <= hi
        width = 0
        while width < 8 and (span >> (8 * width)) > 0:
            width += 1
        self.consumed.extend((value - lo).to_bytes(width, "big") if width else b"")

    def boolean(self, value):
        self.integral(0, 255, 1 if value else 0)

    def unit32(self, fraction):  # ConsumeProbability<float>
        self.integral(0, 2**32 - 1, min(2**32 - 1, round(fraction * (2**32 - 1))))

    def unit64(self, fraction):  # ConsumeProbability<double>
        self.integral(0, 2**64 - 1, min(2**64 - 1, round(fraction * (2**64 - 1))))

    def data(self):
        return bytes(reversed(self.consumed))


def example(name, which):
    with open(os.path.join(EXAMPLES, name, "kriva%d.txt" % which)) as f:
        numbers = f.read().split()
    n = int(numbers[0])
    return [(float(numbers[1 + 2 * i]), float(numbers[2 + 2 * i])) for i in range(n)]


def write(target, name, data):
    folder = os.path.join(ROOT, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def float_bits(v):
    return struct.unpack("<I", struct.pack("<f", v))[0]


# --- reader_fuzz: an even first byte hands the rest over as it is, an odd one builds a text from the rest
def reader_seeds():
    for name in ("default", "many", "horizontal"):
        with open(os.path.join(EXAMPLES, name, "kriva1.txt"), "rb") as f:
            write("reader_fuzz", "example-" + name, b"\n" + f.read())
    texts = {
        "too-many": b"33\n1 2\n",
        "hex-count": b"0x3 1.5 -2 .5e1 7. -0 0\n",
        "octal-count": b"010\n1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",
        "not-finite": b"3\n1 2\nnan 4\n5 6\n",
        "out-of-range": b"2\n1e39 0\n1 1\n",
        "word-in-pair": b"3\n1 2\nx 3\n4 5\n",
        "negative-count": b"-5\n1 2\n",
    }
    for name, text in texts.items():
        write("reader_fuzz", name, b"\n" + text)
    rng = random.Random(7)
    for i in range(2):
        write("reader_fuzz", "built-%d" % i, b"\x01" + bytes(rng.randrange(256) for _ in range(96)))


# --- hull_fuzz
def hull_points(points, on_rays=False, ray_points=()):
    p = Provider()
    p.integral(1, 40, len(points) + len(ray_points))
    p.boolean(on_rays)
    for i, (x, y) in enumerate(points):
        if on_rays and i > 0:
            p.boolean(False)
        for v in (x, y):
            p.integral(0, 5, 3)  # the value's bits as they are
            p.integral(0, 2**32 - 1, float_bits(v))
        p.integral(-(2**31), 2**31 - 1, 3)  # a colour the hull must leave alone
    for k in ray_points:  # on the ray from the first point through the previous one, k times as far
        p.boolean(True)
        p.integral(2, 9, k)
        p.integral(-(2**31), 2**31 - 1, 3)
    return p.data()


def hull_seeds():
    write("hull_fuzz", "example-default", hull_points(example("default", 1)))
    write("hull_fuzz", "example-many", hull_points(example("many", 2)))
    write("hull_fuzz", "one-height", hull_points(example("horizontal", 1)))
    write("hull_fuzz", "square-with-ties", hull_points([(0, 0), (4, 0), (4, 4), (0, 4), (2, 0), (4, 2), (0, 0)]))
    write("hull_fuzz", "on-a-ray", hull_points([(1, 1), (2, 3), (5, 1)], True, (3, 2, 5)))
    write("hull_fuzz", "not-finite", hull_points([(0, 0), (math.nan, 1), (math.inf, 2), (3, -math.inf), (1, 5)]))
    write("hull_fuzz", "signed-zeros", hull_points([(0, 0), (-0.0, 6), (0, 6), (4, 0)]))
    write("hull_fuzz", "huge", hull_points([(-3e38, 0), (3e38, 1), (0, 3e38), (1e-45, -1e-45)]))
    rng = random.Random(11)
    write("hull_fuzz", "bytes", bytes(rng.randrange(256) for _ in range(200)))


# --- segment_fuzz: scale 2^e, then two segments or two outlines
def segment_case(exponent, first, second, outlines=False, hulls=(False, False)):
    p = Provider()
    p.integral(-60, 70, exponent)
    p.boolean(not outlines)
    for i, shape in enumerate((first, second)):
        if outlines:
            p.integral(1, 32, len(shape))
        for x, y in shape:
            for v in (x, y):
                p.integral(0, 4, 1)  # a whole multiple of the scale
                p.integral(-4, 4, v)
        if outlines:
            p.boolean(not hulls[i])  # the polygon as it is, or its hull
    return p.data()


def segment_seeds():
    write("segment_fuzz", "crossing", segment_case(0, [(-4, -3), (4, 3)], [(-4, 2), (3, -4)]))
    write("segment_fuzz", "touching-end", segment_case(-20, [(0, 0), (4, 4)], [(4, 4), (4, -4)]))
    write("segment_fuzz", "collinear-overlap", segment_case(10, [(-4, -2), (2, 1)], [(0, 0), (4, 2)]))
    write("segment_fuzz", "collinear-apart", segment_case(0, [(-4, -4), (-2, -2)], [(1, 1), (4, 4)]))
    write("segment_fuzz", "parallel", segment_case(40, [(-4, 0), (4, 1)], [(-4, 1), (4, 2)]))
    write("segment_fuzz", "point-on-segment", segment_case(-50, [(1, 1), (1, 1)], [(-2, -2), (3, 3)]))
    write("segment_fuzz", "outlines", segment_case(
        0, [(-4, -4), (0, 4), (4, -4), (1, 0)], [(-3, 3), (4, 4), (-1, -2)], outlines=True, hulls=(True, True)))
    write("segment_fuzz", "nested-outlines", segment_case(
        2, [(-4, -4), (0, 4), (4, -4)], [(0, -1), (1, 0), (0, 1)], outlines=True, hulls=(True, False)))


# --- search_fuzz: magnitude 10^e (e = 38: the float limit), the first curve, then a second one or the first
# changed. A curve is scattered (each coordinate a share of the magnitude) or on a 17 x 17 grid of eighths.
FLOAT_MAX = 3.4028234663852886e38


def search_scale(exponent):
    return FLOAT_MAX if exponent == 38 else 10.0**exponent


def search_curve(p, points, scale, grid=False):
    p.integral(1, 32, len(points))
    p.integral(0, 2, 1 if grid else 0)
    for x, y in points:
        for v in (x, y):
            if grid:
                p.integral(-8, 8, round(v / scale * 8))
            else:
                p.unit64((v / scale + 1) / 2)


def search_case(points1, points2=None, relative=None, exponent=None, grid=False):
    if exponent is None:
        largest = max(max(abs(x), abs(y)) for x, y in points1 + (points2 or []))
        exponent = max(-3, math.ceil(math.log10(largest)))
    scale = search_scale(exponent)
    p = Provider()
    p.integral(-40, 38, exponent)
    search_curve(p, points1, scale, grid)
    if relative is None:
        p.integral(0, 3, 1)
        search_curve(p, points2, scale, grid)
    else:  # (reverse, x shift as a share of the scale, y shift): shifts within 0.01
        reverse, shift_x, shift_y = relative
        p.integral(0, 3, 0)
        p.boolean(reverse)
        for shift in (shift_x, shift_y):
            p.boolean(shift == 0)
            if shift != 0:
                p.unit64((shift / 0.01 + 1) / 2)
        for _ in points1:
            p.integral(0, 7, 2)  # no point moved
    return p.data()


def search_seeds():
    for name in ("default", "many", "lines", "nested", "apart", "horizontal"):
        write("search_fuzz", "example-" + name, search_case(example(name, 1), example(name, 2)))
    write("search_fuzz", "same-curve", search_case(example("same", 1), relative=(False, 0, 0)))
    write("search_fuzz", "reversed-and-moved", search_case(example("default", 1), relative=(True, 0.004, 0)))
    rng = random.Random(3)
    big = [[(rng.uniform(-1, 1) * 1e7, rng.uniform(-1, 1) * 1e7) for _ in range(32)] for _ in range(2)]
    write("search_fuzz", "scattered-32", search_case(big[0], big[1]))
    # the X (0, 0)-(s, s) against (0, s)-(s, 0) at magnitudes where the float cross product once overflowed
    # or underflowed, and at the float limit
    for exponent in (-23, 23, 25, 38):
        s = search_scale(exponent)
        write("search_fuzz", "x-at-1e%d" % exponent if exponent < 38 else "x-at-the-float-limit",
              search_case([(0, 0), (s, s)], [(0, s), (s, 0)], exponent=exponent))
    write("search_fuzz", "apart-at-1e29", search_case(
        [(0, 0), (1e29, 2e29), (2e29, 0)], [(5e29, 0), (6e29, 2e29), (7e29, 0)], exponent=30))
    write("search_fuzz", "segment-to-the-float-limit", search_case(
        [(0, 0), (FLOAT_MAX, 1)], [(1, -1), (1, 1)], exponent=38))
    # 32 points back and forth along one line, both curves, and a segment lying on such a curve
    zigzag = [(8 if i % 2 else (i % 16) - 8, 0) for i in range(32)]
    write("search_fuzz", "folded-32", search_case(zigzag, zigzag[::-1], exponent=1, grid=True))
    write("search_fuzz", "segment-on-folded-32", search_case([(2, 0), (3, 0)], zigzag, exponent=1, grid=True))


# --- exact_fuzz: a mode, two counts, then the curves as the mode reads them
def exact_points(p, points, exponent):
    p.integral(-40, 40, exponent)
    for x, y in points:
        for v in (x, y):
            whole = v * 2.0 ** -exponent
            assert whole == int(whole) and abs(whole) <= 2**26
            p.integral(-(2**26), 2**26, int(whole))


def exact_case(mode, first, second=None, exponents=(0, 0), line=None, nudges=()):
    p = Provider()
    p.integral(0, 3, mode)
    if mode == 1:
        positions1, positions2, (dx, dy) = first, second, line
        p.integral(1, 32, len(positions1))
        p.integral(1, 32, len(positions2))
        p.integral(-20, 20, 0)
        p.integral(-16, 16, dx)
        p.integral(-16, 16, dy)
        p.integral(-1024, 1024, 0)
        p.integral(-1024, 1024, 0)
        for v in positions1 + positions2:
            p.integral(-64, 64, v)
        return p.data()
    p.integral(1, 32, len(first))
    p.integral(1, 32, len(second) if second else len(first))
    exact_points(p, first, exponents[0])
    if mode == 0 or mode == 3:
        exact_points(p, second, exponents[1])
    else:
        p.boolean(False)  # not run back
        for i in range(len(first)):
            p.integral(0, 7, 0 if i in nudges else 1)
            if i in nudges:
                p.boolean(True)
    return p.data()


def exact_seeds():
    write("exact_fuzz", "example-default", exact_case(0, example("default", 1), example("default", 2), (-1, -1)))
    write("exact_fuzz", "folded-polygon", exact_case(1, [1, -2, 4, -8, 16, -32, 64], [0, 64], line=(1, 0)))
    cusp = [(105, -105), (-165, 210), (240, -420), (-300, 840), (240, -1680), (240, 3360), (-1920, -6720), (6720, 13440)]
    write("exact_fuzz", "cusp-on-axis", exact_case(3, cusp, [(0, 0), (1000, 0)]))
    write("exact_fuzz", "stationary-end", exact_case(1, [0, 1, 2, 4], [0, 1, 1], line=(1, 0)))
    write("exact_fuzz", "folded-line", exact_case(1, [4, 8], [1, 8, 7], line=(1, 0)))
    write("exact_fuzz", "loop-itself", exact_case(2, [(0, 0), (2, 2), (-1, 2), (1, 0)]))
    quartic = [(-2, 2), (-1, -2), (0, 2), (1, -2), (2, 2)]
    write("exact_fuzz", "fourfold-contact", exact_case(3, quartic, [(-1, 0), (1, 0)], (-1, 0)))
    start = [(0, 0)] * 6 + [(10, 10), (20, 0)]
    write("exact_fuzz", "start-six-times", exact_case(3, start, [(-5, 5), (5, -5)]))
    rng = random.Random(17)
    big = [[(rng.randint(-(2**24), 2**24) / 2**20, rng.randint(-(2**24), 2**24) / 2**20) for _ in range(32)]
           for _ in range(2)]
    write("exact_fuzz", "scattered-32", exact_case(0, big[0], big[1], (-20, -20)))
    write("exact_fuzz", "nudged-32", exact_case(2, big[0], exponents=(-20, 0), nudges=(3, 17, 30)))


if __name__ == "__main__":
    reader_seeds()
    hull_seeds()
    segment_seeds()
    search_seeds()
    exact_seeds()
