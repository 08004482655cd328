#!/usr/bin/python3
"""cuplo-calc layout on bad input: exit 2, one stderr line naming the option and the value,
nothing on stdout, no file created, a previous file of that name left as it was.

usage: bad_input.py CUPLO_CALC DEFAULTS_FILE
"""
import os
import subprocess
import sys
import tempfile

calc, defaults = sys.argv[1:3]
folder = tempfile.TemporaryDirectory().name
os.mkdir(folder)
GEOMETRY = ["layout", "--defaults", defaults]
TARGETS = GEOMETRY + ["--dispersive"]

# (arguments, words the stderr line must hold)
BAD = [
    (GEOMETRY + ["--w", "0.00001um"], ["--w: 3.93", "fingers", "grid"]),
    (GEOMETRY + ["--s", "0.0005um"], ["--s: 1.96", "gaps", "grid"]),
    (TARGETS + ["--grid", "50um"], ['--grid: "50um"', "fingers", "grid"]),
    (TARGETS + ["--n", "6", "--grid", "20um"], ['--grid: "20um"', "fingers", "grid"]),
    (GEOMETRY + ["--reference", "40"], ["--reference: 40 ohm", "end quarters"]),
    (GEOMETRY + ["--reference", "8", "--l", "40mil"], ["--reference: 8 ohm", "overlap"]),
    (GEOMETRY + ["--reference", "900"], ["--reference: 900 ohm", "no microstrip"]),
    (GEOMETRY + ["--grid", "0.0015um"], ["--grid", "0.0015um", "whole number"]),
    (GEOMETRY + ["--feed-length", "-1mil"], ["--feed-length", "-1mil"]),
    (GEOMETRY + ["--fo", "0"], ["--fo", "0"]),
    (GEOMETRY + ["--fo", "10", "--l", "0.1"], ["--fo", "--l"]),
    (GEOMETRY + ["--zo", "50", "--w", "2mil"], ["--zo", "not both"]),
    (TARGETS + ["--f", "0"], ["--f: 0 GHz"]),
    (["layout", "--n", "4", "--er", "9.8", "--h", "25mil", "--t", "0", "--w", "1mil"], ["--s"]),
]

failures = []
for k, (args, words) in enumerate(BAD):
    name = os.path.join(folder, "kept" + (".kicad_mod", ".gds", ".svg")[k % 3])
    new = os.path.join(folder, "new" + (".gds", ".svg", ".kicad_mod")[k % 3])
    with open(name, "w") as f:
        f.write("kept\n")
    for target in (name, new):
        done = subprocess.run([calc] + args + ["-o", target], capture_output=True, text=True)
        lines = done.stderr.splitlines()
        if (done.returncode != 2 or done.stdout or len(lines) != 1
                or not all(w in lines[0] for w in words) or open(name).read() != "kept\n"
                or os.path.exists(new)):
            failures.append((args, target, done.returncode, done.stderr))
for ext in ("txt", "gds2"):  # the extension chooses the file
    done = subprocess.run([calc] + GEOMETRY + ["-o", f"{folder}/x.{ext}"], capture_output=True,
                          text=True)
    if done.returncode != 2 or "-o:" not in done.stderr:
        failures.append(("-o x." + ext, done.returncode, done.stderr))

# Nothing but the kept files: no temporary left behind.
if sorted(os.listdir(folder)) != ["kept.gds", "kept.kicad_mod", "kept.svg"]:
    failures.append(("left in the folder", sorted(os.listdir(folder))))
for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
