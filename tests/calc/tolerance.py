#!/usr/bin/python3
"""cuplo-calc tolerance as a program: the same seed gives the same files, byte for byte, and
another seed others; the yield is the share of --samples-out's rows within the limits; bad
tolerances and limits exit 2 naming the option.

usage: tolerance.py CUPLO_CALC DEFAULTS_FILE
"""
import csv
import json
import os
import subprocess
import sys
import tempfile

calc, defaults = sys.argv[1:3]
folder = tempfile.TemporaryDirectory().name
os.makedirs(folder)
T = [calc, "tolerance", "--defaults", defaults]
N = ["--samples", "400"]
TOLS = ["--w-tol", "0.1mil", "--s-tol", "5%", "--h-tol", "2%", "--er-tol", "0.1",
        "--t-tol", "10%"]
SPEC = ["--spec-coupling", "3+-0.03dB", "--spec-fo", "10GHz+-0.2%", "--spec-phase", "90+-0.05deg",
        "--spec-balance", "0.1dB"]
faults = []


def run(args, out=None):
    extra = ["--samples-out", out] if out else []
    r = subprocess.run(args + extra + ["--format", "json"], capture_output=True, text=True,
                       check=False)
    if r.returncode != 0:
        faults.append(f"{' '.join(args)}: exit {r.returncode}: {r.stderr.strip()}")
        return None
    return json.loads(r.stdout)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# The same seed, the same files; another seed, other samples.
paths = [os.path.join(folder, f"s{i}.csv") for i in range(3)]
first = run(T + N + TOLS + ["--seed", "5"], paths[0])
again = run(T + N + TOLS + ["--seed", "5"], paths[1])
other = run(T + N + TOLS + ["--seed", "6"], paths[2])
if first != again or read(paths[0]) != read(paths[1]):
    faults.append("the same seed gave different results")
if read(paths[0]) == read(paths[2]):
    faults.append("seeds 5 and 6 gave the same samples")

# The yield is the share of the samples' rows within the limits.
path = os.path.join(folder, "spec.csv")
result = run(T + N + TOLS + SPEC, path)
if result:
    rows = {r["statistic"]: r for r in result["rows"]}
    with open(path) as f:
        samples = list(csv.DictReader(f))
    if len(samples) != 400 or list(samples[0])[:6] != ["sample", "w_in", "s_in", "h_in", "er",
                                                         "t_in"]:
        faults.append(f"--samples-out: {len(samples)} rows, keys {list(samples[0])}")
    within = {
        "coupling_db": lambda v: 2.97 <= -v <= 3.03,
        "fo_ghz": lambda v: 9.98 <= v <= 10.02,
        "phase_deg": lambda v: 89.95 <= v <= 90.05,
        "balance_db": lambda v: abs(v) <= 0.1,
    }
    passing = {k: sum(1 for s in samples if s[k] and test(float(s[k])))
               for k, test in within.items()}
    everything = sum(1 for s in samples
                     if all(s[k] and test(float(s[k])) for k, test in within.items()))
    for key, n in passing.items():
        if abs(rows["yield_pct"][key] - 100 * n / 400) > 1e-4:
            faults.append(f"yield of {key}: {rows['yield_pct'][key]} %, the rows say "
                          f"{100 * n / 400} %")
    if abs(rows["yield_pct"]["all_limits"] - 100 * everything / 400) > 1e-4 or not 0 < everything < 400:
        faults.append(f"yield of all: {rows['yield_pct']['all_limits']} %, {everything} rows")

# (arguments, words of the one stderr line): exit 2, nothing written.
BAD = [
    (["--w-tol", "-1mil"], ["--w-tol:", "negative"]),
    (["--w-tol", "2mil"], ['--w-tol: "2mil" is not below the width']),
    (["--s-tol", "100%"], ['--s-tol: "100%" is not below the spacing']),
    (["--h-tol", "3 furlongs"], ["--h-tol:", "unknown unit"]),
    (["--er-tol", "9"], ['--er-tol: "9" is not below Er - 1']),
    (["--etch-tol", "5%"], ['--etch-tol: "5%"', "of no etch"]),
    (["--etch-tol", "1mil"], ['--etch-tol: "1mil"', "narrower of W and S"]),
    (["--samples", "0"], ['--samples: "0" is not a whole number from 1 to 1000000']),
    (["--samples", "2.5"], ["--samples:", "whole number"]),
    (["--seed", "-3"], ["--seed:", "whole number"]),
    (["--distribution", "lognormal"], ["--distribution", "normal or uniform"]),
    (["--spec-coupling", "3dB"], ["--spec-coupling:", "CENTRE+-TOLERANCE"]),
    (["--spec-balance", "0+-1dB"], ["--spec-balance:", "one largest value"]),
    (["--spec-fo", "10GHz+-2parsec"], ["--spec-fo:", "unknown unit"]),
    (["--fo", "10", "--l", "0.1"], ["--fo", "--l"]),
    (["--samples-out", os.path.join(folder, "no", "such.csv")], ["--samples-out:", "folder"]),
]
for args, words in BAD:
    out = os.path.join(folder, "bad.csv")
    r = subprocess.run(T + args + ["--samples-out" if "--samples-out" not in args else "-o",
                                   out if "--samples-out" not in args else
                                   os.path.join(folder, "bad.json")],
                       capture_output=True, text=True, check=False)
    lines = r.stderr.strip().splitlines()
    if (r.returncode != 2 or len(lines) != 1 or not all(w in lines[0] for w in words)
            or r.stdout or os.path.exists(out)):
        faults.append(f"{' '.join(args)}: exit {r.returncode}, stderr {r.stderr!r}")

print("\n".join(faults) or f"tolerance: {len(BAD) + 3} cases pass")
sys.exit(1 if faults else 0)
