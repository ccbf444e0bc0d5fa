#!/usr/bin/python3
"""What geometrija-cli prints for an example pair, compared byte for byte with the files checked in.

    golden_test.py CLI EXAMPLES GOLDEN NAME            compare examples/NAME with golden/NAME
    golden_test.py CLI EXAMPLES GOLDEN NAME --update   write golden/NAME anew from what the command prints

Three outputs per example: the search's points (points.txt), the whole scene as JSON (scene.json) and the
exact crossings (exact.txt). A change that alters what the command prints must change these files in the
same commit, where it shows.
"""
import difflib
import os
import subprocess
import sys

OUTPUTS = {"points.txt": [], "scene.json": ["--json"], "exact.txt": ["--exact"]}


def main():
    cli, examples, golden, name = [os.path.abspath(a) for a in sys.argv[1:4]] + [sys.argv[4]]
    update = sys.argv[5:] == ["--update"]
    folder = os.path.join(examples, name)
    failed = []
    for file_name, args in OUTPUTS.items():
        run = subprocess.run([cli] + args, cwd=folder, capture_output=True)
        if run.returncode != 0:
            failed.append("%s: status %d, %r" % (file_name, run.returncode, run.stderr))
            continue
        path = os.path.join(golden, name, file_name)
        if update:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as out:
                out.write(run.stdout)
            continue
        with open(path, "rb") as expected_file:
            expected = expected_file.read()
        if run.stdout != expected:
            diff = difflib.unified_diff(expected.decode().splitlines(), run.stdout.decode().splitlines(),
                                        "golden/%s/%s" % (name, file_name), "printed", lineterm="", n=1)
            failed.append("\n".join(list(diff)[:40]))
        else:
            print("%s/%s: %d bytes as checked in" % (name, file_name, len(expected)))
    for failure in failed:
        print("FAILED: %s" % failure)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
