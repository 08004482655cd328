#!/usr/bin/python3
"""The closed-form models against the field solver over a dense grid of couplers: N 4 and 6,
Er 2.2 to 12.9, W/H 0.1 to 3, S/H 0.05 to 8, T/H 0 to 0.2. Both come from
cuplo-field-values (the library's public cuplo::impedance, static, and cuplo::field::solve).
Rewrites the part of validation/README.md between its field-grid markers and draws
field_vs_wh.png and field_vs_sh.png.

    /usr/bin/python3 validation/closed_vs_field.py [--values PATH]

Takes about a minute (the field solver's share; most of it the thick strips with the
tightest gaps). Needs numpy and matplotlib."""

import argparse
import csv
import io
import math
import os
import subprocess

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
README = os.path.join(HERE, "README.md")
NS = (4, 6)
ERS = (2.2, 3.5, 6.15, 9.8, 12.9)
WS = tuple(float(f"{x:.3g}") for x in np.geomspace(0.1, 3.0, 10))
SS = tuple(float(f"{x:.3g}") for x in np.geomspace(0.05, 8.0, 10))
TS = (0.0, 0.02, 0.05, 0.1, 0.2)
QUANTITIES = ("zo", "zoe", "zoo", "coupling_db", "eeff_even", "eeff_odd")
LABELS = {"zo": "Zo", "zoe": "Zoe", "zoo": "Zoo", "coupling_db": "coupling",
          "eeff_even": "eeff even", "eeff_odd": "eeff odd"}


def grid():
    return [(n, er, w, s, t) for n in NS for er in ERS for w in WS for s in SS for t in TS]


def evaluate(values, designs):
    lines = "".join(" ".join(f"{x:.17g}" for x in d) + "\n" for d in designs)
    out = subprocess.run([values], input=lines, capture_output=True, text=True,
                         check=True).stdout
    records = []
    for d, row in zip(designs, csv.DictReader(io.StringIO(out))):
        if row["status"] != "ok" or row["cf_zoe"] == "":
            raise RuntimeError(f"{d}: {row['status']}")
        diff = {}
        for q in QUANTITIES:
            model, field = float(row["cf_" + q]), float(row[q])
            diff[q] = model - field if q == "coupling_db" else 100.0 * (model / field - 1.0)
        records.append({"design": d, "diff": diff, "field": {q: float(row[q]) for q in QUANTITIES},
                        "mesh_error": float(row["mesh_error"]), "ms": float(row["ms"])})
    return records


def fmt(d):
    return ", ".join(f"{x:g}" for x in d)


def summary(records):
    lines = ["| quantity | N | median abs. | 90 % of designs within | worst | worst design "
             "(N, Er, W/H, S/H, T/H) | within 2 / 5 / 10 % (0.2 / 0.5 / 1 dB) |",
             "|---|---:|---:|---:|---:|---|---:|"]
    for q in QUANTITIES:
        unit, dec = (" dB", 2) if q == "coupling_db" else (" %", 1)
        bands = (0.2, 0.5, 1.0) if q == "coupling_db" else (2.0, 5.0, 10.0)
        for n in NS:
            rs = [r for r in records if r["design"][0] == n]
            mags = np.array([abs(r["diff"][q]) for r in rs])
            worst = max(rs, key=lambda r: abs(r["diff"][q]))
            lines.append(
                f"| {LABELS[q]} | {n} | {np.median(mags):.{dec}f}{unit} "
                f"| {np.percentile(mags, 90):.{dec}f}{unit} | {worst['diff'][q]:+.{dec}f}{unit} "
                f"| {fmt(worst['design'])} | "
                + " / ".join(str(int((mags <= b).sum())) for b in bands) + f" of {len(rs)} |")
    return "\n".join(lines)


def regions(records):
    """Median model-minus-field by region: where the models hold and where not."""
    def region(d):
        n, er, w, s, t = d
        return (n, "0" if t == 0 else "0.02 to 0.2", "up to 1" if s <= 1.0 else "above 1",
                "2.2, 3.5" if er <= 3.5 else "6.15 to 12.9")
    groups = {}
    for r in records:
        groups.setdefault(region(r["design"]), []).append(r)
    lines = ["| N | T/H | S/H | Er | designs | Zo | Zoe | Zoo | coupling | eeff even | eeff odd |",
             "|---:|---|---|---|---:|---:|---:|---:|---:|---:|---:|"]
    for key in sorted(groups):
        rs = groups[key]
        cells = []
        for q in QUANTITIES:
            v = np.array([r["diff"][q] for r in rs])
            unit = " dB" if q == "coupling_db" else " %"
            cells.append(f"{np.median(v):+.{2 if q == 'coupling_db' else 1}f}{unit} "
                         f"({np.min(v):+.{1 if q == 'coupling_db' else 0}f} to "
                         f"{np.max(v):+.{1 if q == 'coupling_db' else 0}f})")
        lines.append(f"| {key[0]} | {key[1]} | {key[2]} | {key[3]} | {len(rs)} | " + " | ".join(cells)
                     + " |")
    return "\n".join(lines)


def faults(records):
    """The evidence for each suspected model fault of README's list."""
    out = []
    # 1. The six-strip mode factors: the N = 6 error minus the N = 4 error of the same
    # cross-section, by Er, beside the factors' excess over 2.
    out.append("| Er | fe/2 - 1 | fo/2 - 1 | Zoe: N = 6 minus N = 4 (median) "
               "| Zoo: N = 6 minus N = 4 (median) |\n|---:|---:|---:|---:|---:|")
    by = {r["design"]: r for r in records}
    for er in ERS:
        de, do = [], []
        for (n, e, w, s, t), r in by.items():
            if n == 6 and e == er:
                r4 = by[(4, e, w, s, t)]
                de.append(r["diff"]["zoe"] - r4["diff"]["zoe"])
                do.append(r["diff"]["zoo"] - r4["diff"]["zoo"])
        fe = (0.04118 * er + 2.044) / 2.0 - 1.0
        fo = (0.01287 * er + 2.11) / 2.0 - 1.0
        out.append(f"| {er:g} | {100 * fe:+.1f} % | {100 * fo:+.1f} % | {np.median(de):+.1f} % "
                   f"| {np.median(do):+.1f} % |")
    # 2. and 3. The permittivities by S/H (zero thickness).
    out.append("\n| S/H | eeff even, median (N 4, 6) | eeff odd, median (N 4, 6) "
               "| eeff odd high in |\n|---:|---:|---:|---:|")
    for s in SS:
        rs = [r for r in records if r["design"][3] == s and r["design"][4] == 0]
        e = [np.median([r["diff"]["eeff_even"] for r in rs if r["design"][0] == n]) for n in NS]
        o = [np.median([r["diff"]["eeff_odd"] for r in rs if r["design"][0] == n]) for n in NS]
        high = sum(r["diff"]["eeff_odd"] > 0 for r in rs)
        out.append(f"| {s:g} | {e[0]:+.1f} %, {e[1]:+.1f} % | {o[0]:+.1f} %, {o[1]:+.1f} % "
                   f"| {high} of {len(rs)} |")
    return "\n".join(out)


def plots(records, folder=HERE):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    colours = dict(zip(ERS, ("tab:blue", "tab:orange", "tab:green", "tab:red", "tab:purple")))
    names = []
    for axis, label, name in ((2, "W/H", "field_vs_wh.png"), (3, "S/H", "field_vs_sh.png")):
        fig, axes = plt.subplots(len(QUANTITIES), len(NS), figsize=(10, 15), sharex=True,
                                 sharey="row", squeeze=False)
        rng = np.random.default_rng(1)
        for j, n in enumerate(NS):
            for i, q in enumerate(QUANTITIES):
                ax = axes[i][j]
                for er in ERS:
                    for thick, marker in ((False, "o"), (True, "s")):
                        rs = [r for r in records if r["design"][0] == n and r["design"][1] == er
                              and (r["design"][4] > 0) == thick]
                        x = np.array([r["design"][axis] for r in rs])
                        x = x * np.exp(rng.uniform(-0.06, 0.06, len(x)))  # spread the columns
                        y = [r["diff"][q] for r in rs]
                        ax.scatter(x, y, s=6, marker=marker, alpha=0.5,
                                   facecolors="none" if thick else colours[er],
                                   edgecolors=colours[er], linewidths=0.6,
                                   label=f"Er {er:g}" + (", thick" if thick else ""))
                ax.axhline(0.0, color="0.5", lw=0.8)
                ax.set_xscale("log")
                ax.grid(True, which="both", alpha=0.3)
                if j == 0:
                    unit = "dB" if q == "coupling_db" else "%"
                    ax.set_ylabel(f"{LABELS[q]}, model - field ({unit})")
                if i == 0:
                    ax.set_title(f"N = {n}")
                if i == len(QUANTITIES) - 1:
                    ax.set_xlabel(label)
        axes[0][-1].legend(fontsize=6, ncol=2, markerscale=2)
        fig.suptitle(f"Cuplo's static models against the field solver, by {label} "
                     "(filled: zero thickness; open: T/H 0.02 to 0.2)", fontsize=9)
        fig.tight_layout(rect=(0, 0, 1, 0.98))
        fig.savefig(os.path.join(folder, name), dpi=80)
        plt.close(fig)
        names.append(name)
    return names


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--values", default=os.path.join(HERE, "..", "build", "validation",
                                                         "cuplo-field-values"))
    args = parser.parse_args()
    designs = grid()
    records = evaluate(args.values, designs)
    names = plots(records)
    err = np.array([r["mesh_error"] for r in records])
    text = (f"{len(records)} designs: N {', '.join(map(str, NS))}; Er {', '.join(map(str, ERS))}; "
            f"W/H {', '.join(map(str, WS))}; S/H {', '.join(map(str, SS))}; "
            f"T/H {', '.join(map(str, TS))}. The field solver's own error estimate: median "
            f"{100 * np.median(err):.4f} %, largest {100 * err.max():.3f} % (of its "
            f"unextrapolated values; the extrapolated ones used here are closer); it took "
            f"{sum(r['ms'] for r in records) / 1000:.0f} s for the grid.\n\n"
            f"### Summary\n\n{summary(records)}\n\n#### By region (median, and the range)\n\n"
            f"{regions(records)}\n\n### The suspected faults\n\n{faults(records)}\n\n"
            + "".join(f"![{n}]({n})\n" for n in names))
    begin, end = "<!-- field grid: begin -->\n", "<!-- field grid: end -->\n"
    old = open(README).read()
    i, j = old.index(begin) + len(begin), old.index(end)
    with open(README, "w") as f:
        f.write(old[:i] + text + old[j:])
    print(text)


if __name__ == "__main__":
    main()
