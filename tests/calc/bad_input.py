#!/usr/bin/python3
"""cuplo-calc on bad input (every command), accuracy limits and a model failure.

Bad input: exit status 2, one stderr line naming the option and the value, nothing on stdout,
and an existing -o file left as it was. Outside the accuracy limits: exit 0 and a warning, or
with --strict exit 3 and no output. A model failure: exit 1 and no output file (the rows
before it on standard output).

usage: bad_input.py CUPLO_CALC DEFAULTS_FILE
"""
import os
import subprocess
import sys
import tempfile

calc, defaults = sys.argv[1:3]
scratch = tempfile.TemporaryDirectory()
folder = scratch.name
faulty = os.path.join(folder, "faulty.DEF")
with open(defaults) as f, open(faulty, "w") as g:
    g.write(f.read().replace("9.8 ", "0.5 ", 1))  # Er below 1
D = ["--defaults", defaults]
R = ["response"] + D + ["--f", "6:14:0.5"]
L = ["layout"] + D
T = L + ["--dispersive"]
WIDE = ["--n", "4", "--er", "1.5", "--h", "0.025", "--t", "0", "--s", "0.01"]

# (arguments, words the stderr line must hold[, the extension of the -o file kept])
BAD = [
    (["impedance", "--n", "5"] + D, ["--n: 5 is not an even number from 2 to 12"]),
    (["impedance", "--n", "8"] + D, ["--n: 8: the closed-form models take 4 or 6", "--model field"]),
    (["impedance", "--matrices", "--format", "json"] + D, ["--matrices:", "--model field"]),
    (["impedance", "--model", "field", "--matrices", "--format", "csv"] + D, ["--matrices:", "JSON"]),
    (["impedance", "--model", "fields"] + D, ["--model", "fields"]),
    (["impedance", "--w", "2x"] + D, ["--w:", '"2x"']),
    (["impedance", "--w", " 3x "] + D, ['--w: unknown unit "x" in']),
    (["impedance", "--h", "abc"] + D, ["--h:", "abc"]),
    (["impedance", "--w", "-1mil"] + D, ["--w:", "-1mil"]),
    (["dispersion", "--er", "0.5"] + D, ["--er:", "0.5"]),
    (["impedance", "--w", "1:2:0"] + D, ["--w:", "1:2:0"]),
    (["dispersion", "--f", "1:12:1e-6"] + D, ["--f:", "1:12:1e-6"]),
    (["impedance", "--er", "9.8", "--h", "0.025"], ["--n", "--w"]),
    (["synthesize", "--defaults", "absent.DEF"], ["--defaults", "absent.DEF"]),
    (["synthesize", "--defaults", faulty], ["--defaults", "Er."]),
    (["impedance", "--zo", "50"] + D, ["--zo", "50"]),
    (R + ["--l", "0.115", "--fo", "10"], ["--fo"], ".s4p"),
    (R + ["--data", "xy"], ["--data"], ".s4p"),
    (R + ["--reference", "0"], ["--reference"], ".s4p"),
    (["response"] + D + ["--f", "14:6:-0.5"], ["--f"], ".s4p"),
    (L + ["--w", "0.00001um"], ["--w: 3.93", "fingers", "grid"], ".gds"),
    (L + ["--s", "0.0005um"], ["--s: 1.96", "gaps", "grid"], ".svg"),
    (T + ["--grid", "50um"], ['--grid: "50um"', "fingers", "grid"], ".kicad_mod"),
    (T + ["--n", "6", "--grid", "20um"], ['--grid: "20um"', "fingers", "grid"], ".gds"),
    (L + ["--reference", "40"], ["--reference: 40 ohm", "end quarters"], ".svg"),
    (L + ["--reference", "8", "--l", "40mil"], ["--reference: 8 ohm", "overlap"], ".gds"),
    (L + ["--reference", "900"], ["--reference: 900 ohm", "no microstrip"], ".gds"),
    (L + ["--grid", "1mm"], ["--w:", "(38.1 um) are narrower than the grid (1000 um)"], ".gds"),
    (L + ["--grid", "0.0015um"], ["--grid", "0.0015um", "whole number"], ".gds"),
    (L + ["--feed-length", "-1mil"], ["--feed-length", "-1mil"], ".gds"),
    (L + ["--fo", "0"], ["--fo", "0"], ".svg"),
    (L + ["--fo", "10", "--l", "0.1"], ["--fo", "--l"], ".kicad_mod"),
    (L + ["--zo", "50", "--w", "2mil"], ["--zo", "not both"], ".gds"),
    (L + ["--zo", "50", "--s", "2mil"], ["--zo", "not both"], ".gds"),
    (L + ["--zo", "50", "--l", "0.1"], ["--zo", "not both"], ".gds"),
    (T + ["--f", "0"], ["--f: 0 GHz"], ".gds"),
    (L + ["--w", "1mil", "-o", f"{folder}/x.txt"], ["-o:"], ".gds"),  # the extension decides
    # Process rules: lengths of 0 or more; an etch whose compensation closes the gaps.
    (["impedance", "--min-s", "-1mil"] + D, ["--min-s:", "-1mil"]),
    (["synthesize", "--min-w", "2 parsecs"] + D, ["--min-w:", "parsecs"]),
    (["impedance", "--etch", "1mil"] + D, ['--etch: "1mil"', "closes the gap", "S = 0.002 in"]),
    (L + ["--etch", "1.2mil"], ['--etch: "1.2mil"', "inverts the gap"], ".gds"),
    (T + ["--etch", "26um"], ["--etch: 0.00102", "closes the gap"], ".kicad_mod"),
    (["synthesize", "--etch", "26um"] + D, ["--etch:", "inverts the gap"]),
]
# (arguments, exit status, stderr, stdout expected)
LIMITS = [
    (["impedance", "--w", "0.1"] + D, 0, "warning: W/H = 4 is above 3", True),
    (["impedance", "--w", "0.05:0.1:0.025", "--strict"] + D, 3, "W/H = 4", False),
    (["synthesize", "--zo", "150"] + D, 1, "--zo 150: the widest and narrowest strips", False),
    # A failure part way through a sweep: the rows before it have gone to standard output; a
    # file is never left half written.
    (["dispersion", "--n", "4", "--er", "1.01", "--h", "0.025", "--t", "0", "--w", "0.00001",
      "--s", "0.002", "--f", "0:299:13"], 1, "no physical solution", True),
    # Strips so wide on so low a permittivity that the closed-form expressions give no number:
    # a failure, never rows of NaN with status 0.
    (["response", "--w", "0.341", "--l", "1", "--f", "1:3:1"] + WIDE, 1, "no finite value", False),
    (["sensitivity", "--w", "0.341", "--f", "1"] + WIDE, 1, "finite value here (at f_ghz = 1)",
     False),
    (["impedance", "--w", "0.301:0.401:0.02", "--f", "0"] + WIDE, 1,
     "finite value here (at w_in = 0.341)", True),
]

failures = []
for args, words, *extension in BAD:
    existing = os.path.join(folder, "kept" + (extension or [".csv"])[0])
    with open(existing, "w") as f:
        f.write("kept\n")
    out = [] if "-o" in args else ["-o", existing]
    done = subprocess.run([calc] + args + out, capture_output=True, text=True)
    lines = done.stderr.splitlines()
    if (done.returncode != 2 or done.stdout or len(lines) != 1 or
            not all(w in lines[0] for w in words) or open(existing).read() != "kept\n"):
        failures.append((args, done.returncode, done.stderr))

for args, status, message, output in LIMITS:
    target = os.path.join(folder, "new.csv")
    for where in ([], ["-o", target]):
        done = subprocess.run([calc] + args + where, capture_output=True, text=True)
        wrote = bool(done.stdout) or os.path.exists(target)
        expected = output and (status == 0 or not where)
        if done.returncode != status or message not in done.stderr or wrote != expected:
            failures.append((args + where, done.returncode, done.stderr))
        if os.path.exists(target):
            os.remove(target)

# A layout synthesized from targets no strips reach is a model failure (1), not bad input, and
# draws nothing; an extension in capitals chooses the format as well.
drawing = os.path.join(folder, "unreachable.svg")
done = subprocess.run([calc] + L + ["--zo", "150", "--coupling", "3", "--f", "10", "-o", drawing],
                      capture_output=True, text=True)
if done.returncode != 1 or "--zo 150: the widest" not in done.stderr or os.path.exists(drawing):
    failures.append(("layout unreachable", done.returncode, done.stderr))
capitals = os.path.join(folder, "ROWS.CSV")
done = subprocess.run([calc, "impedance"] + D + ["-o", capitals], capture_output=True, text=True)
if done.returncode != 0 or not open(capitals).read().startswith("w_in,s_in,"):
    failures.append(("-o ROWS.CSV", done.returncode, done.stderr))
os.remove(capitals) if os.path.exists(capitals) else None

# The mask's time from SOURCE_DATE_EPOCH: two runs give the same bytes, the library record
# (BGNLIB, after the 6-byte HEADER) holds that time in UTC, and a value that is not a number
# of seconds is bad input.
masks = []
for run in range(2):
    path = os.path.join(folder, "epoch.gds")  # the stem names the cell
    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")
    done = subprocess.run([calc] + L + ["-o", path], capture_output=True, env=env)
    masks.append(open(path, "rb").read() if done.returncode == 0 else b"")
    os.remove(path) if os.path.exists(path) else None
expected_time = bytes.fromhex("07e7 000b 000e 0016 000d 0014")  # 2023-11-14 22:13:20
if not masks[0] or masks[0] != masks[1] or masks[0][10:22] != expected_time:
    failures.append(("SOURCE_DATE_EPOCH", masks[0][:24].hex()))
for epoch in ["12x", "-5", "", "253402300800"]:  # the first second of the year 10000
    env = dict(os.environ, SOURCE_DATE_EPOCH=epoch)
    target = os.path.join(folder, "epoch.gds")
    done = subprocess.run([calc] + L + ["-o", target], capture_output=True, text=True, env=env)
    if (done.returncode != 2 or not done.stderr.startswith("cuplo-calc: SOURCE_DATE_EPOCH:") or
            os.path.exists(target)):
        failures.append(("SOURCE_DATE_EPOCH", epoch, done.returncode, done.stderr))

# Nothing but the files the runs were asked for: no temporary left behind.
if sorted(os.listdir(folder)) != ["faulty.DEF", "kept.csv", "kept.gds", "kept.kicad_mod",
                                  "kept.s4p", "kept.svg"]:
    failures.append(("left in the folder", sorted(os.listdir(folder))))
for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
