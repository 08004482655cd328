#!/usr/bin/python3
"""cuplo-calc response, judged by scikit-rf and by the console program.

scikit-rf reads the Touchstone files: ports, frequencies and reference as asked; the matrix
reciprocal, passive, unitary without losses, and the same network whichever the reference
(renormalized) or the number form; S11..S41 equal to the console's magnitude and phase rows.

Usage: response_test.py CUPLO_CALC CUPLO DEFAULTS_FILE
Exit 77 (skipped) when scikit-rf cannot be imported.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
from decimal import ROUND_HALF_UP, Decimal

try:
    import numpy as np
    import skrf
except ImportError as e:
    print(f"SKIP: {e}")
    sys.exit(77)

CALC, CONSOLE, DEFAULTS = (os.path.abspath(a) for a in sys.argv[1:4])
WORK = tempfile.mkdtemp(prefix="cuplo-response-")
SWEEP = ("2", "18", "0.25")  # GHz: the console's Fmin, Fmax, Fstep
DESIGN = ["--defaults", DEFAULTS]  # the length of the defaults file, as the console takes it
DEMO = DESIGN + ["--f", ":".join(SWEEP)]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def calc(name, *args):
    path = os.path.join(WORK, name)
    r = subprocess.run([CALC, "response", *args, "-o", path], capture_output=True, text=True)
    check(r.returncode == 0, f"{name}: exit {r.returncode}: {r.stderr}")
    return path


def comment(network, key):
    """The value of "! key = value" in a Touchstone file, as scikit-rf keeps its comments."""
    line = next(c for c in network.comments.splitlines() if c.split()[:2] == [key, "="])
    return line.split()[2]


def rounded(x, decimals):
    """The console's F field of a 32-bit value: its exact decimal, half away from zero."""
    return Decimal(float(np.float32(x))).quantize(Decimal(1).scaleb(-decimals), ROUND_HALF_UP)


# The console's four-port rows (format 1) for the demo design with the length entered.
answers = ["1", "2", "1", "1"] + [""] * 10 + list(SWEEP) + ["50", "50", "1", "", ""]
folder = tempfile.mkdtemp(dir=WORK)
shutil.copy(DEFAULTS, os.path.join(folder, "CuploDEMO.DEF"))
console = subprocess.run([CONSOLE], input="\n".join(answers) + "\n", capture_output=True,
                         text=True, cwd=folder).stdout
rows = [line.split() for line in console.splitlines()]
rows = [r for r in rows if len(r) == 9 and all(t.lstrip("-").replace(".", "").isdigit() for t in r)]
check(len(rows) == 65, f"console gave {len(rows)} rows")

# S11, S21, S31, S41 as scikit-rf reads them from the dB file, against the console's rows.
db = skrf.Network(calc("db.s4p", *DEMO, "--data", "db"))
check(db.nports == 4 and np.all(db.z0 == 50), "four ports at 50 ohms")
freqs = np.float32(2) + np.arange(65, dtype=np.float32) * np.float32(0.25)
check(np.array_equal(db.f, freqs.astype(float) * 1e9), "frequencies as asked")
for k, row in enumerate(rows):
    ours = [rounded(db.f[k] / 1e9, 4)]
    for p in range(4):
        ours += [rounded(db.s_db[k, p, 0], 3 if p in (1, 3) else 1),
                 rounded(db.s_deg[k, p, 0], 1)]
    check(ours == [Decimal(t) for t in row], f"row {k}: {row} against {ours}")
title = next(line for line in console.splitlines() if "Fo =" in line).split("Fo =")[1].split()[0]
check(rounded(float(comment(db, "fo_ghz")), 4) == Decimal(title), "centre frequency")

# The same network in every Touchstone form; the physics of the matrix.
ma = skrf.Network(calc("ma.s4p", *DEMO))
ri = skrf.Network(calc("ri.s4p", *DEMO, "--data", "ri"))
check(np.allclose(ma.s, db.s, rtol=0, atol=1e-6) and np.allclose(ma.s, ri.s, rtol=0, atol=1e-6),
      "ma, db and ri give one network")
check(np.array_equal(ma.s, np.transpose(ma.s, (0, 2, 1))), "reciprocal")
check(np.linalg.svd(ma.s, compute_uv=False).max() <= 1 + 1e-6, "passive")
lossless = skrf.Network(calc("lossless.s4p", *DEMO, "--res", "0", "--sr", "0", "--dltan", "0"))
gram = np.conj(np.transpose(lossless.s, (0, 2, 1))) @ lossless.s
check(np.abs(gram - np.eye(4)).max() <= 2e-4, "lossless is unitary")

# The reference: a 25-ohm file, renormalized to 50 ohms, is the 50-ohm network.
z25 = skrf.Network(calc("z25.s4p", *DEMO, "--reference", "25"))
check(np.all(z25.z0 == 25), "reference 25 ohms")
eye = np.eye(4)
z = 25 * (eye + z25.s) @ np.linalg.inv(eye - z25.s)
check(np.allclose((z - 50 * eye) @ np.linalg.inv(z + 50 * eye), ma.s, rtol=0, atol=1e-5),
      "renormalized to 50 ohms")

# Units: a design in millimetres, micrometres, mils and MHz is the same file; so is the length
# that --fo reports, given back as --l.
inches = calc("inches.s4p", "--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002",
              "--w", "0.0015", "--s", "0.002", "--fo", "10", "--f", "6:14:0.5")
units = calc("units.s4p", "--n", "4", "--er", "9.8", "--h", "0.635mm", "--t", "0.2mil",
             "--w", "38.1um", "--s", "2mil", "--fo", "10000MHz", "--f", "6000MHz:14GHz:500MHz")
text = open(inches).read()
check(text == open(units).read(), "units give the same file")
length = comment(skrf.Network(inches), "l_in")
by_l = calc("by_l.s4p", "--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002", "--w",
            "0.0015", "--s", "0.002", "--l", length, "--f", "6:14:0.5")
data = [line for line in text.splitlines() if not line.startswith(("!", "#"))]
check(data == [line for line in open(by_l).read().splitlines() if not line.startswith(("!", "#"))],
      "the reported length is the one analysed")

# CSV and JSON carry the console's own dB and degrees.
csv = np.genfromtxt(calc("r.csv", *DEMO), delimiter=",", names=True)
keys = ["f_ghz"] + [f"s{p}1_{unit}" for p in "1234" for unit in ("db", "deg")]
check(list(csv.dtype.names[:9]) == keys, "CSV columns")
check(np.array_equal(csv["s41_db"].astype(np.float32), db.s_db[:, 3, 0].astype(np.float32)),
      "CSV S41 dB")
doc = json.load(open(calc("r.json", *DEMO)))
check(doc["design"]["reference_ohm"] == 50 and len(doc["rows"]) == 65, "JSON design and rows")

shutil.rmtree(WORK)
sys.exit(1 if failures else 0)
