#!/usr/bin/python3
"""cuplo-calc with process rules (--min-w, --min-s, --etch): a synthesis or layout whose gap
or width falls below its minimum gives the design at the minimum, with a warning (exit 3 with
--strict); rules that the design meets change no value; a given design that breaks them is
warned about.

usage: process.py CUPLO_CALC DEFAULTS_FILE
"""
import json
import os
import subprocess
import sys
import tempfile

calc, defaults = sys.argv[1:3]
LAMINATE = ["--n", "4", "--er", "3.66", "--h", "20mil", "--t", "35um", "--units", "um"]
S = ["synthesize"] + LAMINATE + ["--zo", "50", "--coupling", "3", "--f", "5.8GHz"]
folder = tempfile.TemporaryDirectory()
gds = os.path.join(folder.name, "c.gds")
L = ["layout"] + LAMINATE + ["--zo", "50", "--coupling", "3", "--f", "5.8GHz", "-o", gds]
I = ["impedance", "--defaults", defaults, "--units", "mil"]


def run(args):
    r = subprocess.run([calc] + args + ["--format", "json"], capture_output=True, text=True,
                       check=False)
    rows = json.loads(r.stdout)["rows"] if r.returncode == 0 else None
    return r.returncode, r.stderr, rows


# (arguments, exit status, words on stderr (each), the row's values that must hold)
CASES = [
    (S + ["--min-s", "100um"], 0, ["warning: S = 52.", "narrowest gap, 100 um", "gap binds",
                                   "asked: -3 dB"], {"s_um": 100}),
    (S + ["--min-s", "100um", "--strict"], 3, ["error: S = 52.", "(--strict)"], None),
    (S + ["--min-s", "100um", "--model", "field"], 0, ["gap binds"], {"s_um": 100}),
    (S + ["--min-w", "300um"], 1, ['--min-w "300um": no design', "Zo = 50 ohm"], None),
    (S + ["--min-w", "200um"], 0, ["line width binds"], {"w_um": 200}),
    (L + ["--min-s", "0.1mm"], 0, ["gap binds"], {"s_um": 100}),
    (L + ["--min-s", "0.1mm", "--strict"], 3, ["gap binds", "(--strict)"], None),
    (I + ["--min-w", "1.6mil"], 0, ["warning: W = 1.5 mil is below the process's narrowest "
                                    "line, 1.6 mil"], {}),
    (I + ["--min-s", "2.1mil", "--strict"], 3, ["error: S = 2 mil", "narrowest gap, 2.1"], None),
    (I + ["--s", "1:3:1", "--min-s", "1.5mil"], 0, ["S = 1 mil"], {}),
]
faults = []
for args, status, words, values in CASES:
    code, err, rows = run(args)
    missing = [w for w in words if w not in err]
    if code != status or missing:
        faults.append(f"{' '.join(args)}: exit {code} (wanted {status}), stderr {err!r}")
    for key, value in (values or {}).items():
        if rows is None or abs(rows[0][key] - value) > 1e-4 * value:
            faults.append(f"{' '.join(args)}: {key} = {rows and rows[0][key]}, wanted {value}")
    if status == 3 and rows is not None:
        faults.append(f"{' '.join(args)}: output with --strict")

# Rules that the design meets change no value, to the last digit; only the design records them.
for base in (S, S + ["--model", "field"], ["layout", "--defaults", defaults, "-o", gds]):
    _, _, free = run(base)
    _, _, held = run(base + ["--min-w", "1um", "--min-s", "1um", "--etch", "1um"])
    if free is None or free != held:
        faults.append(f"{' '.join(base)}: rules that hold changed the rows: {free} {held}")

print("\n".join(faults) or f"process rules: {len(CASES) + 3} cases pass")
sys.exit(1 if faults else 0)
