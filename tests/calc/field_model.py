#!/usr/bin/python3
"""cuplo-calc --model field: its response, read by scikit-rf, is a reciprocal, passive
four-port; --matrices gives Maxwell capacitance matrices whose group sums are the row's
impedances and permittivities, and the inductance matrix that inverts the one in air.

usage: field_model.py CUPLO_CALC DEFAULTS_FILE (exit 77 without numpy and scikit-rf)
"""
import json
import os
import subprocess
import sys
import tempfile

try:
    import numpy as np
    import skrf
except ImportError:
    sys.exit(77)

calc, defaults = sys.argv[1:3]
faults = []


def run(*args):
    done = subprocess.run([calc, *args], capture_output=True, text=True, check=False)
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(args)}: exit {done.returncode}: {done.stderr.strip()}")
    return done.stdout


with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, "field.s4p")
    run("response", "--defaults", defaults, "--model", "field", "--res", "2.44", "--dltan",
        "0.0002", "--fo", "10GHz", "--f", "6:14:1", "-o", path)
    s = skrf.Network(path).s
    if not np.allclose(s, s.transpose(0, 2, 1)):
        faults.append("the field model's S-matrix is not symmetric")
    power = np.linalg.svd(s, compute_uv=False)
    if not (power.max() <= 1.0 and power.max() > 0.98):
        faults.append(f"the field model's lossy four-port is not passive: {power.max()}")

# The matrices of the static design: C and C0 with positive diagonals and negative couplings,
# symmetric to the solver's accuracy; L = (c^2 C0)^-1; the even and odd modes of the strips
# tied alternately are the group sums of C (Zoe = 1 / (c sqrt(Ce C0e)), eeff = Ce / C0e).
LIGHT = 299_792_458.0
doc = json.loads(run("impedance", "--defaults", defaults, "--model", "field", "--n", "6",
                     "--f", "0", "--matrices", "--format", "json"))
m, row = doc["matrices"], doc["rows"][0]
c, c0, inductance = (np.array(m[k]) for k in ("c_f_per_m", "c0_f_per_m", "l_h_per_m"))
for name, x in (("C", c), ("C0", c0)):
    off = x[~np.eye(m["n"], dtype=bool)]
    if x.shape != (6, 6) or not (np.all(np.diag(x) > 0) and np.all(off < 0)
                                 and np.allclose(x, x.T, rtol=1e-6, atol=0)):
        faults.append(f"{name} is not a Maxwell capacitance matrix: {x}")
if not np.allclose(inductance @ c0 * LIGHT**2, np.eye(6), atol=1e-9):
    faults.append("L is not the inverse of c^2 C0")


def groups(x):
    aa, ab = x[0::2, 0::2].sum(), x[0::2, 1::2].sum()
    return np.array([aa + ab, aa - ab])


modes, air = groups(c), groups(c0)
derived = {"zoe_ohm": 1 / (LIGHT * np.sqrt(modes[0] * air[0])),
           "zoo_ohm": 1 / (LIGHT * np.sqrt(modes[1] * air[1])),
           "eeff_even": modes[0] / air[0], "eeff_odd": modes[1] / air[1]}
for key, value in derived.items():
    if np.float32(value) != np.float32(row[key]):
        faults.append(f"{key}: {row[key]} in the row, {value} from the matrices")

print("\n".join(faults) or "field model: response reciprocal and passive, matrices those of the row")
sys.exit(1 if faults else 0)
