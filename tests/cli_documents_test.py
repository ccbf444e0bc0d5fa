#!/usr/bin/python3
"""The companion command's documents checked by real readers of their formats.

  schema   every example's --json document (plain, and with --exact and --unique) and a scene whose eye
           distance is beyond the float range validate against docs/scene.schema.json with the
           jsonschema package (Draft 2020-12); documents that break the format do not.
  figure   every example's --figure (with --labels) is well-formed SVG that rsvg-convert renders: one
           path per curve through its 500 samples, each hull a closed dashed path with a round dot at
           each vertex, one ringed round dot (and label) per --unique point, no pixel-sized squares, and
           the same drawing at any scale (its size set only by the viewBox).

Usage: cli_documents_test.py CLI SOURCE_DIR {schema|figure}
"""
import copy
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def examples(root):
    folder = os.path.join(root, "examples")
    return sorted(name for name in os.listdir(folder) if os.path.isdir(os.path.join(folder, name)))


def run(cli, folder, *args):
    result = subprocess.run([cli, *args], cwd=folder, capture_output=True, text=True, timeout=60)
    if result.returncode != 0 or result.stderr:
        raise AssertionError(f"{cli} {' '.join(args)} in {folder}: status {result.returncode}, {result.stderr}")
    return result.stdout


def check_schema(cli, root):
    import jsonschema

    with open(os.path.join(root, "docs", "scene.schema.json")) as f:
        schema = json.load(f)
    validator_class = jsonschema.Draft202012Validator
    validator_class.check_schema(schema)
    validator = validator_class(schema)
    documents = {}
    for example in examples(root):
        folder = os.path.join(root, "examples", example)
        for args in (["--json"], ["--json", "--exact", "--unique"]):
            documents[f"{example} {' '.join(args)}"] = json.loads(run(cli, folder, *args))
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "kriva1.txt"), "w") as f:
            f.write("2 -3e38 0 3e38 1")
        with open(os.path.join(folder, "kriva2.txt"), "w") as f:
            f.write("2 0 -1 0 2")
        documents["beyond the float range"] = json.loads(run(cli, folder, "--json", "--exact"))
    failures = 0
    for name, document in documents.items():
        errors = sorted(validator.iter_errors(document), key=str)
        if errors:
            failures += 1
            print(f"FAIL {name}: {errors[0].message} at {list(errors[0].absolute_path)}")
        else:
            print(f"ok   {name}")

    # the schema is not a formality: documents that break the format are refused
    plain = documents["default --json"]
    broken = {
        "another version": lambda d: d.update(version=2),
        "no version": lambda d: d.pop("version"),
        "one curve": lambda d: d["curves"].pop(),
        "a member of no version": lambda d: d.update(extra=1),
        "498 segments": lambda d: d["curves"][0]["segments"].pop(),
        "a point of three numbers": lambda d: d["intersections"].append([1, 2, 3]),
        "a string for a count": lambda d: d["search"].update(calls="113"),
        "an exact crossing without its kind": lambda d: d.update(exact={"crossings": [{"x": 0, "y": 0, "t": 0, "s": 0}], "overlaps": []}),
    }
    for name, spoil in broken.items():
        document = copy.deepcopy(plain)
        spoil(document)
        if validator.is_valid(document):
            failures += 1
            print(f"FAIL accepted: {name}")
        else:
            print(f"ok   refused: {name}")
    return failures


def path_points(d):
    return [(float(x), float(y)) for x, y in re.findall(r"[ML](-?[0-9.]+) (-?[0-9.]+)", d)]


def check_figure(cli, root):
    failures = 0
    renderer = shutil.which("rsvg-convert")
    with tempfile.TemporaryDirectory() as scratch:
        for example in examples(root):
            folder = os.path.join(root, "examples", example)
            figure = os.path.join(scratch, example + ".svg")
            run(cli, folder, "--figure", figure, "--labels")
            unique = [line.split() for line in run(cli, folder, "--unique").splitlines()]
            document = json.loads(run(cli, folder, "--json"))
            problems = []
            svg = ET.parse(figure).getroot()
            if svg.tag != SVG + "svg" or "viewBox" not in svg.attrib or svg.get("shape-rendering") == "crispEdges":
                problems.append("not a scalable svg element")
            groups = {g.get("id"): g for g in svg.iter(SVG + "g")}
            curves = groups["curves"].findall(SVG + "path")
            if len(curves) != 2 or any(len(path_points(p.get("d"))) != 500 for p in curves):
                problems.append("curves are not two paths of 500 samples")
            hull_paths = groups["hulls"].findall(SVG + "path")
            hull_dots = groups["hulls"].findall(SVG + "circle")
            hull_sizes = [len(c["hull"]) for c in document["curves"]]
            drawn = [n for n in hull_sizes if n > 0]
            if len(hull_paths) != len(drawn) or len(hull_dots) != sum(hull_sizes):
                problems.append(f"hulls: {len(hull_paths)} paths, {len(hull_dots)} dots for hulls of {hull_sizes}")
            if any(p.get("stroke-dasharray") is None for p in hull_paths):
                problems.append("a hull outline is not dashed")
            points = groups["meeting-points"].findall(SVG + "circle")
            labels = groups["labels"].findall(SVG + "text")
            if len(points) != len(unique) or len(labels) != len(unique):
                problems.append(f"{len(points)} dots and {len(labels)} labels for {len(unique)} points")
            for text, (x, y) in zip(labels, unique):
                want = "(%s, %s)" % tuple(f"{float(v):.3f}".replace("-0.000", "0.000") for v in (x, y))
                if text.text != want:
                    problems.append(f"label {text.text} for {x} {y}")
            if any(p.get("stroke") is None for p in points):
                problems.append("a meeting point is not ringed")
            if list(svg.iter(SVG + "rect"))[1:] or list(svg.iter(SVG + "polygon")):
                problems.append("pixel squares or polygons in the figure")
            if renderer:
                for zoom in ("1", "4"):
                    png = os.path.join(scratch, f"{example}-{zoom}.png")
                    rendered = subprocess.run([renderer, "-z", zoom, figure, "-o", png], capture_output=True, text=True)
                    if rendered.returncode != 0 or os.path.getsize(png) == 0:
                        problems.append(f"rsvg-convert -z {zoom}: {rendered.stderr.strip()}")
            else:
                problems.append("rsvg-convert is missing")
            if problems:
                failures += 1
                print(f"FAIL {example}: {'; '.join(problems)}")
            else:
                print(f"ok   {example}: {len(unique)} meeting points, hulls of {hull_sizes} vertices")
    return failures


def main():
    cli, root, what = sys.argv[1:4]
    failures = {"schema": check_schema, "figure": check_figure}[what](cli, root)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
