#!/usr/bin/python3
"""Cuplo's closed-form coupler models against the 2-D finite-difference field solver atlc.

For each design of the grid the script draws the coupler's cross-section as an atlc bitmap
(alternate strips in two colours: group A at +1 V, group B at -1 V in the odd mode, both at
+1 V in the even mode; ground plane and a closed box in green; substrate in a colour of its
own), solves it at two cells and in three boxes, extrapolates to zero cell in an unbounded
box, and compares the result with the static values of
`cuplo-calc impedance --format json --f 0`. validation/README.md explains the method.

    compare.py run --calc build/calc/cuplo-calc   # solve what the cache lacks, then rebuild
    compare.py rebuild                            # table and plots from results.csv alone
    compare.py model --calc PATH                  # refresh the model columns, then rebuild

Run it with Debian's /usr/bin/python3 (numpy, matplotlib).
"""

import argparse
import concurrent.futures
import csv
import io
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
CACHE = os.path.join(HERE, "results.csv")
README = os.path.join(HERE, "README.md")

H_IN = 0.025  # substrate height handed to the model, inches; the models depend on ratios only
GREEN, RED, BLUE, WHITE = (0, 255, 0), (255, 0, 0), (0, 0, 255), (255, 255, 255)
SUBSTRATE = (0x20, 0x40, 0x60)  # not atlc's own dielectric colours; defined with -d
SURFACE = (0x30, 0x50, 0x70)  # the nodes on the substrate's surface: the mean permittivity
CUTOFF = "0.00001"  # atlc's stopping criterion: 10x tighter than its default (see README)
MIN_H_PX = 10  # substrate height, pixels, at the coarse cell and in the wall study
MIN_FEATURE_PX = 3  # the narrowest width or gap at the coarse cell, pixels
MIN_THICKNESS_PX = 2  # the thickness of a thick strip at the coarse cell, pixels
REFINE = 2  # the fine cell is the coarse one halved
ORDER = 1.0  # the solver's error falls as the first power of the cell (README)
# atlc prints its values with three decimals: each is uncertain by half a unit of the last
# digit, and the extrapolation 2 fine - coarse triples that.
ROUNDING = 0.0005
# Air above the strips and beside the outer strips, in substrate heights: the cell study in
# the smallest box, the wall study over the three.
BOXES = (4, 8, 16)

ERS = (2.2, 3.5, 6.15, 9.8, 12.9)
# (W/H, S/H, T/H) of the grid; T/H = 0 is a zero-thickness strip (one pixel in the bitmap).
SHAPES = (
    (0.1, 0.3, 0.0),
    (0.2, 0.1, 0.0),
    (0.3, 0.2, 0.0),
    (0.3, 0.5, 0.0),
    (1.0, 0.3, 0.0),
    (1.0, 2.0, 0.0),
    (3.0, 1.0, 0.0),
    (3.0, 8.0, 0.0),
    (0.5, 0.2, 0.1),
    (2.0, 0.5, 0.2),
)
NS = (4, 6)

QUANTITIES = ("zo", "zoe", "zoo", "coupling_db", "eeff_even", "eeff_odd")
SOLVED = ("zoe", "zoo", "eeff_even", "eeff_odd")


# ---------------------------------------------------------------------------------------
# The cross-section as a bitmap


def pixels_per_h(w_h, s_h, t_h, feature=MIN_FEATURE_PX, thickness=MIN_THICKNESS_PX):
    """The smallest cell (pixels per substrate height) at which every dimension is a whole
    number of pixels and none is under its minimum."""
    p = MIN_H_PX
    while True:
        need = [(w_h, feature), (s_h, feature)] + ([(t_h, thickness)] if t_h > 0 else [])
        if all(abs(d * p - round(d * p)) < 1e-9 and round(d * p) >= m for d, m in need):
            return p
        p += 1


def cross_section(n, w_h, s_h, t_h, p, box):
    """The N-strip cross-section at p pixels per substrate height, as rows of RGB pixels
    (top row first).

    Each pixel is a node of atlc's finite-difference grid. The ground plane's top row is at
    y = 0 and the strips' lowest row at y = H, so that the strips lie H above the ground
    plane; the substrate fills the rows between, and the row at y = H outside the strips,
    which lies on the substrate's surface, has the mean of the two permittivities. A strip of
    zero thickness is that one row of nodes; a thick one has T rows. A strip W pixels wide
    and a gap S pixels wide put W - 1 and S + 1 cells between their edge nodes: a conductor's
    charge reaches about half a cell beyond its last node, so both are W and S wide.

    Strip i (from the left) belongs to group A (red) when i is even, to group B (blue) when
    odd: the coupler's alternate strips tied together. Air fills the box, `box` substrate
    heights above the strips and beside the outer ones; its walls are ground (green)."""
    h = p
    w = round(w_h * p)
    s = round(s_h * p)
    t = max(1, round(t_h * p))
    side = round(box * p)
    air = round(box * p)
    rows = 1 + air + t + (h - 1) + 1  # top wall, air, strips, substrate, ground plane
    cols = 2 * side + n * w + (n - 1) * s + 2  # with the side walls
    img = np.empty((rows, cols, 3), np.uint8)
    img[:] = WHITE
    surface = rows - 1 - h
    img[surface + 1 : rows - 1, :] = SUBSTRATE
    img[surface, :] = SURFACE
    img[0, :] = GREEN
    img[rows - 1, :] = GREEN
    img[:, 0] = GREEN
    img[:, cols - 1] = GREEN
    for i in range(n):
        x = 1 + side + i * (w + s)
        img[surface - t + 1 : surface + 1, x : x + w] = RED if i % 2 == 0 else BLUE
    return img


def write_bmp(path, img):
    """A 24-bit uncompressed BMP: rows bottom-up, BGR, each padded to four bytes."""
    rows, cols, _ = img.shape
    pad = b"\0" * ((-3 * cols) % 4)
    body = b"".join(img[r, :, ::-1].tobytes() + pad for r in range(rows - 1, -1, -1))
    header = b"BM" + struct.pack("<IHHI", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, cols, rows, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


ATLC_LINE = re.compile(
    r"Er_odd=\s*(?P<eeff_odd>\S+)\s+Er_even=\s*(?P<eeff_even>\S+)\s+"
    r"Zodd=\s*(?P<zoo>\S+)\s+Zeven=\s*(?P<zoe>\S+)"
)


def solve(n, er, w_h, s_h, t_h, p, box, atlc="atlc"):
    """atlc's values of the cross-section at p pixels per substrate height.

    With red and blue conductors atlc solves two modes: blue at -1 V (odd) and blue at +1 V
    (even), red at +1 V in both. Its Zodd and Zeven are the impedances of one conductor
    (red) in each mode (it also prints Zdiff = 2 Zodd and Zcomm = Zeven / 2): with red and
    blue the two groups of strips, they are the coupler's Zoo and Zoe. Er_odd and Er_even are
    each mode's capacitance with the substrate over that without it."""
    colours = ["-d", "%02x%02x%02x=%r" % (*SUBSTRATE, er),
               "-d", "%02x%02x%02x=%r" % (*SURFACE, (1.0 + er) / 2.0)]
    with tempfile.TemporaryDirectory(prefix="cuplo-atlc-") as tmp:
        bmp = os.path.join(tmp, "x.bmp")
        write_bmp(bmp, cross_section(n, w_h, s_h, t_h, p, box))
        start = time.monotonic()
        out = subprocess.run(
            [atlc, "-s", "-S", "-c", CUTOFF, *colours, bmp],
            capture_output=True, text=True, check=True, cwd=tmp,
        ).stdout
        seconds = time.monotonic() - start
    m = ATLC_LINE.search(out)
    if not m:
        raise RuntimeError("atlc printed no coupler line: " + out.strip())
    return {k: float(v) for k, v in m.groupdict().items()}, seconds


def extrapolate(coarse, fine):
    """Richardson: the value at zero cell size from two cell sizes REFINE apart, for an
    error that falls as the cell size to the power ORDER."""
    return fine + (fine - coarse) / (REFINE**ORDER - 1.0)


# ---------------------------------------------------------------------------------------
# The model


def model(calc, n, er, w_h, s_h, t_h):
    """cuplo-calc's static values of the design (lengths in inches, f = 0)."""
    args = [calc, "impedance", "--format", "json", "--n", str(n), "--er", f"{er:g}",
            "--h", f"{H_IN:.9g}", "--t", f"{t_h * H_IN:.9g}", "--w", f"{w_h * H_IN:.9g}",
            "--s", f"{s_h * H_IN:.9g}", "--f", "0"]
    out = json.loads(subprocess.run(args, capture_output=True, text=True, check=True).stdout)
    for warning in out["warnings"]:
        print(f"compare.py: {n, er, w_h, s_h, t_h}: cuplo-calc warns: {warning}",
              file=sys.stderr)
    row = out["rows"][0]
    return {"zo": row["zo_ohm"], "zoe": row["zoe_ohm"], "zoo": row["zoo_ohm"],
            "coupling_db": row["coupling_db"], "eeff_even": row["eeff_even"],
            "eeff_odd": row["eeff_odd"]}


def derived(zoe, zoo):
    """The coupler impedance and midband coupling (dB, negative) from Zoe and Zoo."""
    return math.sqrt(zoe * zoo), 20.0 * math.log10((zoe - zoo) / (zoe + zoo))


# ---------------------------------------------------------------------------------------
# Extrapolation


def runs(design, boxes=BOXES):
    """The solver runs of a design, as (pixels per H, box): the coarse and the fine cell in
    the smallest box, then the wall study's cell in each box. The walls act on the far field,
    which a cell of one pixel per width or gap draws well enough: the wall study's cell is
    the smallest with H at least MIN_H_PX pixels and every dimension a whole number."""
    p = pixels_per_h(*design[2:])
    b = pixels_per_h(*design[2:], feature=1, thickness=1)
    out = [(p, boxes[0]), (REFINE * p, boxes[0])] + [(b, box) for box in boxes]
    return list(dict.fromkeys(out))


def box_limit(values):
    """The value in an unbounded box from boxes b, 2b, 4b, and the extrapolation's change.

    The walls' effect falls as a power q of the box between 1 (near a wide structure, whose
    outer field falls as the inverse distance) and 2 (a dipole's field, far from any
    structure); q comes from the two differences, bounded to that range."""
    z1, z2, z3 = values
    d1, d2 = z2 - z1, z3 - z2
    q = 1.0
    if d1 * d2 > 0 and abs(d2) < abs(d1):
        q = min(2.0, max(1.0, math.log2(d1 / d2)))
    change = d2 / (2.0**q - 1.0)
    return z3 + change, change


def extrapolated(design, solved, boxes=BOXES):
    """The solver's values of a design at zero cell in an unbounded box, and their
    uncertainties (the two extrapolations' own changes and atlc's rounding added), from its
    runs.

    The value at zero cell in the smallest box (Richardson over the coarse and fine cells)
    is scaled by the walls' factor: the wall study's value in an unbounded box over its value
    in the smallest box."""
    p = pixels_per_h(*design[2:])
    b = pixels_per_h(*design[2:], feature=1, thickness=1)
    value, uncertainty = {}, {}
    for q in SOLVED:
        coarse, fine = solved[(p, boxes[0])][q], solved[(REFINE * p, boxes[0])][q]
        walls = [solved[(b, box)][q] for box in boxes]
        limit, box_change = box_limit(walls)
        cell = extrapolate(coarse, fine)
        value[q] = cell * limit / walls[0]
        rounding = (1.0 + 2.0 / (REFINE**ORDER - 1.0)) * ROUNDING
        uncertainty[q] = ((abs(cell - fine) + rounding) * limit / walls[0]
                          + abs(box_change) * cell / walls[0])
    e, o, ue, uo = value["zoe"], value["zoo"], uncertainty["zoe"], uncertainty["zoo"]
    value["zo"], value["coupling_db"] = derived(e, o)
    uncertainty["zo"] = value["zo"] * 0.5 * (ue / e + uo / o)
    db = 20.0 / math.log(10.0)
    uncertainty["coupling_db"] = db * (2 * o * ue + 2 * e * uo) / (e * e - o * o)
    return value, uncertainty


# ---------------------------------------------------------------------------------------
# The cache: one row per solver run and one per model evaluation

FIELDS = ("source", "n", "er", "w_h", "s_h", "t_h", "px_per_h", "box_h", "zo", "zoe", "zoo",
          "coupling_db", "eeff_even", "eeff_odd", "seconds")


def grid():
    return [(n, er, w, s, t) for n in NS for er in ERS for (w, s, t) in SHAPES]


def load(path=CACHE):
    """The cache as {design: {"model": values, (p, box): values}}."""
    cache = {}
    if not os.path.exists(path):
        return cache
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            design = (int(row["n"]), float(row["er"]), float(row["w_h"]), float(row["s_h"]),
                      float(row["t_h"]))
            key = "model" if row["source"] == "cuplo-calc" else (
                int(row["px_per_h"]), float(row["box_h"]))
            cache.setdefault(design, {})[key] = {
                k: float(row[k]) for k in FIELDS[8:] if row[k] != ""}
    return cache


def save(cache, path=CACHE):
    rows = []
    for design in sorted(cache):
        for key, v in cache[design].items():
            row = dict(zip(FIELDS[1:6], design))
            if key == "model":
                row.update(source="cuplo-calc", px_per_h="", box_h="")
            else:
                row.update(source="atlc", px_per_h=key[0], box_h=key[1])
            row.update({k: v.get(k, "") for k in FIELDS[8:]})
            rows.append(row)
    rows.sort(key=lambda r: (r["source"] != "cuplo-calc", r["n"], r["er"], r["w_h"], r["s_h"],
                             r["t_h"], str(r["px_per_h"]), str(r["box_h"])))
    tmp = path + ".tmp"
    with open(tmp, "w", newline="") as f:
        writer = csv.DictWriter(f, FIELDS, lineterminator="\n")
        writer.writeheader()
        writer.writerows(rows)
    os.replace(tmp, path)


def solve_missing(cache, wanted, atlc, jobs):
    """Every wanted (design, run) that the cache lacks, at most `jobs` solver processes at
    once, the largest bitmaps first; the cache is saved after each run, so an interrupted
    grid resumes."""
    todo = [(d, key) for d, key in wanted if key not in cache.get(d, {})]

    def size(item):
        (n, _, w, s, t), (p, b) = item
        img = cross_section(n, w, s, t, p, b)
        return img.shape[0] * img.shape[1] * max(img.shape[:2])
    todo.sort(key=size, reverse=True)
    start = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = {pool.submit(solve, *d, *key, atlc=atlc): (d, key) for d, key in todo}
        for i, future in enumerate(concurrent.futures.as_completed(futures), 1):
            d, key = futures[future]
            values, seconds = future.result()
            values["seconds"] = round(seconds, 2)
            cache.setdefault(d, {})[key] = values
            save(cache)
            print(f"[{i}/{len(todo)} {time.monotonic() - start:7.0f} s] {d} {key} "
                  f"{seconds:6.1f} s", file=sys.stderr, flush=True)
    return time.monotonic() - start


# ---------------------------------------------------------------------------------------
# Cuplo's field solver (field/) on the same designs


def field_values(values, designs):
    """cuplo-field-values' solution of each design: {design: {quantity: value}}."""
    lines = "".join(" ".join(f"{x:.17g}" for x in d) + "\n" for d in designs)
    out = subprocess.run([values], input=lines, capture_output=True, text=True,
                         check=True).stdout
    rows = list(csv.DictReader(io.StringIO(out)))
    return {d: {q: float(r[q]) for q in QUANTITIES} for d, r in zip(designs, rows)
            if r["status"] == "ok"}


def field_check(records, field):
    """atlc against the field solver: per quantity the median and range of atlc minus field,
    and how many designs have the field value within atlc's uncertainty."""
    lines = ["| quantity | atlc - field, median | range | field within atlc's ± | atlc's ±, "
             "median |", "|---|---:|---:|---:|---:|"]
    outside = []
    for q in SOLVED:
        rs = [r for r in records if r["design"] in field]
        d = [100.0 * (r["solver"][q] / field[r["design"]][q] - 1.0) for r in rs]
        inside = [abs(r["solver"][q] - field[r["design"]][q]) <= r["uncertainty"][q] for r in rs]
        u = [100.0 * r["uncertainty"][q] / r["solver"][q] for r in rs]
        lines.append(f"| {LABELS[q]} | {np.median(d):+.2f} % | {min(d):+.2f} to {max(d):+.2f} % "
                     f"| {sum(inside)} of {len(rs)} | {np.median(u):.2f} % |")
        if q.startswith("eeff"):
            outside += [f"{', '.join(f'{x:g}' for x in r['design'])} ({LABELS[q]}: atlc "
                        f"{r['solver'][q]:.4f} ± {r['uncertainty'][q]:.4f}, field "
                        f"{field[r['design']][q]:.4f})" for r, ok in zip(rs, inside) if not ok]
    text = "\n".join(lines)
    if outside:
        text += "\n\nPermittivities outside atlc's ±: " + "; ".join(outside) + "."
    return text


def find_values():
    return find_built("cuplo-field-values")


# ---------------------------------------------------------------------------------------
# Table, summary and plots

LABELS = {"zo": "Zo", "zoe": "Zoe", "zoo": "Zoo", "coupling_db": "coupling",
          "eeff_even": "eeff even", "eeff_odd": "eeff odd"}


def differences(model_values, solver_values):
    """Model minus solver: percent of the solver's value, the coupling in dB."""
    return {q: (model_values[q] - solver_values[q]) if q == "coupling_db"
            else 100.0 * (model_values[q] - solver_values[q]) / solver_values[q]
            for q in QUANTITIES}


def compared(cache, designs):
    """One record per design that has every run and the model's values."""
    out = []
    for d in designs:
        have = cache.get(d, {})
        if "model" not in have or any(r not in have for r in runs(d)):
            continue
        value, uncertainty = extrapolated(d, have)
        out.append({"design": d, "solver": value, "uncertainty": uncertainty,
                    "model": have["model"], "diff": differences(have["model"], value)})
    return out


def table(records):
    """Every design: the solver's Zoe and Zoo, its uncertainty, and model minus solver in
    whole percent (coupling in tenths of a dB): the digits that neither the walls nor the
    extrapolation move (README)."""
    lines = ["| N | Er | W/H | S/H | T/H | Zoe | Zoo | ± % | Zo % | Zoe % | Zoo % | C dB "
             "| eeff e % | eeff o % |", "|" + "---:|" * 14]
    for r in records:
        n, er, w, s, t = r["design"]
        v, u, d = r["solver"], r["uncertainty"], r["diff"]
        pm = 100.0 * max(u["zoe"] / v["zoe"], u["zoo"] / v["zoo"])
        lines.append(
            f"| {n} | {er:g} | {w:g} | {s:g} | {t:g} | {v['zoe']:.1f} | {v['zoo']:.1f} "
            f"| {pm:.1f} " + "".join(f"| {d[q]:+.0f} " for q in ("zo", "zoe", "zoo"))
            + f"| {d['coupling_db']:+.1f} "
            + "".join(f"| {d[q]:+.0f} " for q in ("eeff_even", "eeff_odd")) + "|")
    return "\n".join(lines)


BANDS = {"coupling_db": (0.2, 0.5, 1.0)}  # dB; the other quantities in percent: 2, 5, 10


def summary(records):
    lines = ["| quantity | N | median abs. | worst | worst design (N, Er, W/H, S/H, T/H) "
             "| solver ± there | within 2 / 5 / 10 % (0.2 / 0.5 / 1 dB) |",
             "|---|---:|---:|---:|---|---:|---:|"]
    for q in QUANTITIES:
        unit, dec = (" dB", 2) if q == "coupling_db" else (" %", 1)
        for n in NS:
            rs = [r for r in records if r["design"][0] == n]
            if not rs:
                continue
            mags = [abs(r["diff"][q]) for r in rs]
            worst = max(rs, key=lambda r: abs(r["diff"][q]))
            u = worst["uncertainty"][q]
            if q != "coupling_db":
                u = 100.0 * u / worst["solver"][q]
            bands = " / ".join(str(sum(m <= b for m in mags))
                               for b in BANDS.get(q, (2.0, 5.0, 10.0)))
            lines.append(f"| {LABELS[q]} | {n} | {np.median(mags):.{dec}f}{unit} "
                         f"| {worst['diff'][q]:+.{dec}f}{unit} "
                         f"| {', '.join(f'{x:g}' for x in worst['design'])} "
                         f"| {u:.{dec}f}{unit} | {bands} of {len(rs)} |")
    return "\n".join(lines)


def plots(records, folder=HERE):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    colours = dict(zip(ERS, ("tab:blue", "tab:orange", "tab:green", "tab:red", "tab:purple")))
    names = []
    for axis, label, name in ((2, "W/H", "diff_vs_wh.png"), (3, "S/H", "diff_vs_sh.png")):
        fig, axes = plt.subplots(len(QUANTITIES), len(NS), figsize=(10, 15), sharex=True,
                                 sharey="row", squeeze=False)
        for j, n in enumerate(NS):
            for i, q in enumerate(QUANTITIES):
                ax = axes[i][j]
                for er in ERS:
                    for thick, marker in ((False, "o"), (True, "s")):
                        rs = [r for r in records if r["design"][0] == n and r["design"][1] == er
                              and (r["design"][4] > 0) == thick]
                        if not rs:
                            continue
                        x = [r["design"][axis] for r in rs]
                        y = [r["diff"][q] for r in rs]
                        u = [r["uncertainty"][q] if q == "coupling_db"
                             else 100.0 * r["uncertainty"][q] / r["solver"][q] for r in rs]
                        ax.errorbar(x, y, yerr=u, fmt=marker, ms=4, capsize=2,
                                    color=colours[er], mfc="none" if thick else colours[er],
                                    label=f"Er {er:g}" + (", thick" if thick else ""))
                ax.axhline(0.0, color="0.5", lw=0.8)
                ax.set_xscale("log")
                ax.grid(True, which="both", alpha=0.3)
                unit = "dB" if q == "coupling_db" else "%"
                if j == 0:
                    ax.set_ylabel(f"{LABELS[q]}, model - atlc ({unit})")
                if i == 0:
                    ax.set_title(f"N = {n}")
                if i == len(QUANTITIES) - 1:
                    ax.set_xlabel(label)
        axes[0][-1].legend(fontsize=7, ncol=2)
        fig.suptitle(f"Cuplo's static models against atlc, by {label}"
                     " (filled: zero thickness; open: thick strips; bars: solver uncertainty)",
                     fontsize=9)
        fig.tight_layout(rect=(0, 0, 1, 0.98))
        fig.savefig(os.path.join(folder, name), dpi=80)
        plt.close(fig)
        names.append(name)
    return names


def rebuild(cache, readme=README, values=None):
    """Rewrite the generated part of the README (between its markers) and the plots; with
    cuplo-field-values, also the comparison of atlc with Cuplo's field solver."""
    records = compared(cache, grid())
    if not records:
        sys.exit("compare.py: the cache holds no complete design")
    names = plots(records)
    seconds = sum(v.get("seconds", 0.0) for d in grid() for k, v in cache.get(d, {}).items()
                  if k != "model")
    text = (f"{len(records)} designs; their solver runs took {seconds / 60:.0f} minutes added "
            f"up (two ran at a time).\n\n### Summary\n\n{summary(records)}\n\n### Every design\n\n"
            f"Zoe and Zoo: the solver's values (ohms); ± %: its uncertainty (the larger of "
            f"Zoe's and Zoo's); the other columns: model minus solver.\n\n{table(records)}\n\n"
            + "".join(f"![{n}]({n})\n" for n in names))
    checks = study(cache)
    if checks:
        text += f"\n### Cell and walls, one design\n\n{checks}\n"
    if values:
        field = field_values(values, [r["design"] for r in records])
        text += f"\n### atlc against Cuplo's field solver\n\n{field_check(records, field)}\n"
    begin, end = "<!-- generated: begin -->\n", "<!-- generated: end -->\n"
    old = open(readme).read() if os.path.exists(readme) else begin + end
    i, j = old.index(begin) + len(begin), old.index(end)
    with open(readme, "w") as f:
        f.write(old[:i] + text + old[j:])
    return records


# ---------------------------------------------------------------------------------------
# The two studies behind the method: one design at three cells and at two sets of boxes

STUDY = (4, 9.8, 1.0, 0.3, 0.0)
STUDY_BOXES = (8, 16, 32)


def study_runs():
    p = pixels_per_h(*STUDY[2:])
    return [(REFINE * REFINE * p, BOXES[0])] + runs(STUDY, STUDY_BOXES)


def study(cache):
    """Markdown lines: the cell order seen over three cells, and the design's values
    extrapolated from the grid's boxes and from boxes twice as large."""
    have = cache.get(STUDY, {})
    if any(r not in have for r in runs(STUDY) + study_runs()):
        return ""
    p = pixels_per_h(*STUDY[2:])
    lines = [f"Design N = {STUDY[0]}, Er = {STUDY[1]:g}, W/H = {STUDY[2]:g}, "
             f"S/H = {STUDY[3]:g}, zero thickness.\n",
             "| quantity | H = %d, %d, %d px | order seen | from %d, %d px | from %d, %d px "
             "| boxes %s H | boxes %s H |" % (p, 2 * p, 4 * p, p, 2 * p, 2 * p, 4 * p,
                                             ", ".join(map(str, BOXES)),
                                             ", ".join(map(str, STUDY_BOXES))),
             "|---|---|---:|---:|---:|---:|---:|"]
    for q in SOLVED:
        z = [have[(k * p, BOXES[0])][q] for k in (1, 2, 4)]
        order = math.log2((z[1] - z[0]) / (z[2] - z[1])) if (z[2] - z[1]) * (z[1] - z[0]) > 0 \
            else float("nan")
        small = extrapolated(STUDY, have)[0][q]
        large = extrapolated(STUDY, have, STUDY_BOXES)[0][q]
        lines.append(f"| {LABELS[q]} | {z[0]:.3f}, {z[1]:.3f}, {z[2]:.3f} | {order:.2f} "
                     f"| {extrapolate(z[0], z[1]):.3f} | {extrapolate(z[1], z[2]):.3f} "
                     f"| {small:.3f} | {large:.3f} |")
    return "\n".join(lines)


# ---------------------------------------------------------------------------------------


def find_built(name, root=os.path.dirname(HERE)):
    """The program under build/ if there is one, else under another build*/ folder."""
    found = sorted((not dirpath[len(root):].startswith("/build/"), dirpath)
                   for dirpath, _, files in os.walk(root)
                   if name in files and dirpath[len(root):].startswith("/build"))
    return os.path.join(found[0][1], name) if found else None


def find_calc():
    return find_built("cuplo-calc")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("mode", choices=("run", "model", "rebuild"))
    parser.add_argument("--calc", help="the cuplo-calc executable (default: under build*/)")
    parser.add_argument("--atlc", default=shutil.which("atlc") or "atlc")
    parser.add_argument("--jobs", type=int, default=2, help="solver processes at once")
    parser.add_argument("--values", help="cuplo-field-values, for the comparison with the "
                        "field solver (default: under build*/; none found: left out)")
    args = parser.parse_args()
    cache = load()
    if args.mode == "run":
        wanted = [(d, r) for d in grid() for r in runs(d)] + [(STUDY, r) for r in study_runs()]
        seconds = solve_missing(cache, wanted, args.atlc, args.jobs)
        print(f"compare.py: solver runs took {seconds / 60:.1f} minutes", file=sys.stderr)
    if args.mode in ("run", "model"):
        calc = args.calc or find_calc()
        if not calc:
            sys.exit("compare.py: no cuplo-calc: build it or give --calc")
        for d in grid():
            cache.setdefault(d, {})["model"] = model(calc, *d)
        save(cache)
    records = rebuild(cache, values=args.values or find_values())
    print(f"compare.py: {len(records)} designs compared", file=sys.stderr)


if __name__ == "__main__":
    main()
