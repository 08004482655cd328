#!/usr/bin/python3
"""cuplo-calc --model field: a synthesized coupler analysed again meets its targets within the
solver's 0.1 % (static and dispersive, N = 4, 6 and 8); its response, read by scikit-rf, is
a reciprocal, passive four-port; the closed-form runs it does not take it does.

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
LAMINATE = ["--er", "3.66", "--h", "0.508mm", "--t", "35um", "--model", "field"]
faults = []


def run(*args):
    done = subprocess.run([calc, *args], capture_output=True, text=True, check=False)
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(args)}: exit {done.returncode}: {done.stderr.strip()}")
    return done.stdout


for n, zo, db, f, dispersive in ((4, 50, 3, 5.8, False), (6, 40, 3, 10, True),
                                 (8, 40, 4, 5.8, True)):
    flags = ["--dispersive"] if dispersive else []
    design = json.loads(run("synthesize", *LAMINATE, "--n", str(n), "--zo", str(zo),
                            "--coupling", str(db), "--f", f"{f}GHz", *flags,
                            "--format", "json"))["rows"][0]
    again = json.loads(run("impedance", *LAMINATE, "--n", str(n), "--w", f"{design['w_in']}in",
                           "--s", f"{design['s_in']}in",
                           "--f", f"{f if dispersive else 0}GHz", "--format", "json"))["rows"][0]
    if abs(again["zo_ohm"] - zo) > 1e-3 * zo or abs(again["coupling_db"] + db) > 1e-3 * db:
        faults.append(f"N = {n}: synthesized for {zo} ohm, {db} dB; analysed again "
                      f"{again['zo_ohm']} ohm, {again['coupling_db']} dB")

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

print("\n".join(faults) or "field model: synthesis analysed again, response reciprocal and passive")
sys.exit(1 if faults else 0)
