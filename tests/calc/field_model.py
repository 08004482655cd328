#!/usr/bin/python3
"""cuplo-calc --model field: its response, read by scikit-rf, is a reciprocal, passive
four-port.

usage: field_model.py CUPLO_CALC DEFAULTS_FILE (exit 77 without numpy and scikit-rf)
"""
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

print("\n".join(faults) or "field model: response reciprocal and passive")
sys.exit(1 if faults else 0)
