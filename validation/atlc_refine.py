#!/usr/bin/python3
"""atlc at finer cells on the designs where it differs most from the field solver: each
design solved at 1, 2, 4 and 8 times compare.py's coarse cell (up to 80 pixels per H) in
the smallest box, the
order of convergence seen, and the value extrapolated from the finest cells (with order 1 as
compare.py assumes, and with the order seen), scaled to the unbounded box by compare.py's
wall study, beside the field solver's value.

    nice -n 19 /usr/bin/python3 validation/atlc_refine.py [--values PATH] [--solve]

Without --solve only the runs already in results.csv are used. The runs are cached in
results.csv like compare.py's."""

import argparse
import csv
import io
import math
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import compare  # noqa: E402

# The designs of compare.py's grid where atlc's Zoe and Zoo lie furthest below the field
# solution, the study design, and a thick one.
DESIGNS = (
    (4, 12.9, 0.3, 0.5, 0.0),
    (6, 2.2, 0.3, 0.5, 0.0),
    (4, 9.8, 1.0, 0.3, 0.0),
    (4, 9.8, 0.5, 0.2, 0.1),
)
LEVELS = (1, 2, 4, 8)
FINEST = 80  # px per H: the finest cell run (a few minutes of atlc per design at 80)


def field(values, designs):
    lines = "".join(" ".join(f"{x:g}" for x in d) + "\n" for d in designs)
    out = subprocess.run([values], input=lines, capture_output=True, text=True,
                         check=True).stdout
    return list(csv.DictReader(io.StringIO(out)))


def order(z):
    """The order seen over three cells halved in turn, or None when not monotone."""
    d1, d2 = z[1] - z[0], z[2] - z[1]
    if d1 * d2 <= 0 or abs(d2) >= abs(d1):
        return None
    return math.log2(d1 / d2)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--values", default=os.path.join(HERE, "..", "build", "validation",
                                                         "cuplo-field-values"))
    parser.add_argument("--solve", action="store_true", help="run atlc for missing cells")
    args = parser.parse_args()
    cache = compare.load()
    box = compare.BOXES[0]
    wanted = [(d, (k * compare.pixels_per_h(*d[2:]), box)) for d in DESIGNS for k in LEVELS
              if k * compare.pixels_per_h(*d[2:]) <= FINEST]
    if args.solve and shutil.which("atlc"):
        compare.solve_missing(cache, wanted, "atlc", 1)
    f = field(args.values, DESIGNS)
    print("| design (N, Er, W/H, S/H, T/H) | quantity | px per H | atlc, box 4 H "
          "| extrapolated from each pair of cells (order 1), minus field | order seen "
          "| extrapolated with it, minus field | field |")
    print("|---|---|---|---|---|---:|---:|---:|")
    for d, fv in zip(DESIGNS, f):
        p = compare.pixels_per_h(*d[2:])
        have = cache.get(d, {})
        cells = [k * p for k in LEVELS if (k * p, box) in have]
        b = compare.pixels_per_h(*d[2:], feature=1, thickness=1)
        for q in compare.SOLVED:
            ref = float(fv[q])
            z = [have[(c, box)][q] for c in cells]
            walls = [have[(b, bx)][q] for bx in compare.BOXES]
            factor = compare.box_limit(walls)[0] / walls[0]
            pairs = [100 * (compare.extrapolate(z[i], z[i + 1]) * factor / ref - 1)
                     for i in range(len(z) - 1) if cells[i + 1] == 2 * cells[i]]
            seen = order(z[-3:]) if len(z) >= 3 and cells[-1] == 4 * cells[-3] else None
            best = ((z[-1] + (z[-1] - z[-2]) / (2.0 ** seen - 1.0)) * factor if seen
                    else float("nan"))
            print(f"| {', '.join(f'{x:g}' for x in d)} | {compare.LABELS[q]} "
                  f"| {', '.join(map(str, cells))} | {', '.join(f'{x:.3f}' for x in z)} "
                  f"| {', '.join(f'{x:+.2f} %' for x in pairs)} "
                  f"| {'-' if seen is None else f'{seen:.2f}'} "
                  f"| {'-' if seen is None else f'{100 * (best / ref - 1):+.2f} %'} "
                  f"| {ref:.3f} |")


if __name__ == "__main__":
    main()
