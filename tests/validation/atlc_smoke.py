#!/usr/bin/python3
"""One design through the whole field-solver comparison: bitmap, atlc at two cells,
extrapolation, mode mapping, cuplo-calc; and Cuplo's own field solver against atlc.

usage: atlc_smoke.py CUPLO-CALC [CUPLO-FIELD-VALUES]. Exit 0 when model, field solver and
atlc agree within the bounds below, 1 when not, 77 (skipped) when atlc or numpy is absent."""

import os
import shutil
import sys

try:
    import numpy  # noqa: F401  (compare.py draws the bitmaps with it)
except ImportError:
    print("SKIP: numpy is not installed")
    sys.exit(77)
if not shutil.which("atlc"):
    print("SKIP: atlc is not installed")
    sys.exit(77)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../validation"))
import compare  # noqa: E402
import csv  # noqa: E402
import io  # noqa: E402
import subprocess  # noqa: E402

# Four strips, Er 9.8, W/H 0.3, S/H 0.2: a tight coupler (Zoe 3.7 Zoo, eeff even 1.3 eeff
# odd), so a swapped mode or a mis-tied strip moves a value by far more than its bound. In
# validation/README.md the model differs from the solver by -3.7, +3.3, +0.7 and +6.1 % here;
# the smallest box, used alone, lowers the solver's Zoe by 2.2 % and eeff even by 3.7 %,
# so the differences expected here are -1.6, +3.3, +4.5 and +6.1 %. Each bound is the
# expected difference's size plus 3 %.
DESIGN = (4, 9.8, 0.3, 0.2, 0.0)
BOUND = {"zoe": 5.0, "zoo": 7.0, "eeff_even": 8.0, "eeff_odd": 9.0}

p = compare.pixels_per_h(*DESIGN[2:])
box = compare.BOXES[0]
coarse, _ = compare.solve(*DESIGN, p, box)
fine, _ = compare.solve(*DESIGN, compare.REFINE * p, box)
model = compare.model(sys.argv[1], *DESIGN)
# The field solver (open above, no walls) against atlc in that smallest box: its Zoe and
# eeff even lie 2.2 and 3.7 % above atlc's for the box alone, and atlc's extrapolated
# impedances lie about 1 % (Zoe) and 3 % (Zoo) below the field solution (validation/
# README.md), so the differences expected here are +3.2, +3.9, +3.8 and +0.4 %. Each bound
# is the expected difference's size plus 1.5 %: a swapped mode (eeff 6.9 against 5.4) or a
# mis-tied strip misses by far more.
FIELD_BOUND = {"zoe": 4.7, "zoo": 5.4, "eeff_even": 5.3, "eeff_odd": 1.9}
field = None
if len(sys.argv) > 2:
    out = subprocess.run([sys.argv[2]], input=" ".join(map(str, DESIGN)) + "\n",
                         capture_output=True, text=True, check=True).stdout
    row = next(csv.DictReader(io.StringIO(out)))
    field = {q: float(row[q]) for q in FIELD_BOUND} if row["status"] == "ok" else {}
failed = False
for q, bound in BOUND.items():
    solver = compare.extrapolate(coarse[q], fine[q])
    diff = 100.0 * (model[q] - solver) / solver
    bad = not abs(diff) <= bound
    failed |= bad
    print(f"{q}: model {model[q]:.3f}, atlc {solver:.3f}, {diff:+.2f} % (bound {bound:g} %)"
          + ("  FAIL" if bad else ""))
    if field is not None:
        value = field.get(q, float("nan"))
        diff = 100.0 * (value - solver) / solver
        bad = not abs(diff) <= FIELD_BOUND[q]
        failed |= bad
        print(f"{q}: field {value:.3f}, atlc {solver:.3f}, {diff:+.2f} % "
              f"(bound {FIELD_BOUND[q]:g} %)" + ("  FAIL" if bad else ""))
if not (fine["zoe"] > fine["zoo"] and fine["eeff_even"] > fine["eeff_odd"]):
    print("FAIL: atlc's even mode is not the one of higher impedance and permittivity")
    failed = True
sys.exit(1 if failed else 0)
