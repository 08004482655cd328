#!/usr/bin/python3
"""cuplo-calc against the console program on the shipped design.

The console runs scripted dialogues on the defaults file (impedance over the W sweep, the
dispersion table, a static and a dispersive synthesis in the verification mode, which prints
the check row, and the sensitivities of both modes over frequency); its report rows are cut
by the fixed layouts of app/impedance.cpp, app/frequency.cpp, app/synthesis.cpp and
app/sensitivity.cpp. cuplo-calc computes the same design as JSON and as
CSV, read by Python's json and csv modules: the row counts must agree, and every value
rounded half away from zero to the console's decimals must read as the console's text. The
JSON once more with --units mm: each length, divided by 25.4 and rounded to a 32-bit float as
the tool's reader would, must round to the console's text too.

usage: console_match.py CUPLO CUPLO_CALC DEFAULTS_FILE
"""
import csv
import decimal
import io
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

cuplo, calc, defaults = map(os.path.abspath, sys.argv[1:4])
NAMES = ("DLTAN Er F Fmax Fmin Fstep H Co L N RES SR Rl Rs S Smax Smin Sstep T W Wmax Wmin "
         "Wstep Zo Zoe Zoo").split()
with open(defaults) as f:
    DEF = {n: line[:13].strip() for n, line in zip(NAMES, f.read().splitlines()[1:])}

# Console row layouts: the literal that opens the row, then (width, decimals) of each F field.
ROW = (" ", [(16, 5), (9, 5), (9, 2), (8, 2), (8, 2), (8, 3), (7, 2), (8, 2)])
DISPERSION = (" ", [(22, 4), (7, 2), (7, 2), (7, 2), (9, 2), (8, 2), (8, 2)])
STATIC_CHECK = (" Analysis", [(8, 5), (9, 5), (9, 2), (8, 2), (8, 2), (8, 3), (8, 3), (8, 3)])
DISPERSIVE_ROW = (" ", [(12, 4), (8, 5), (8, 5), (9, 2), (8, 2), (8, 2), (8, 3), (7, 2), (8, 2)])
DISPERSIVE_CHECK = (" Ana.", [(8, 4), (8, 5), (8, 5), (8, 2), (8, 2), (8, 2), (8, 3), (8, 3),
                              (8, 3)])
SENSITIVITY = (" ", [(17, 4), (8, 2), (7, 2)] + [(8, 3)] * 5)

ANALYSIS = "w_in s_in zo_ohm zoe_ohm zoo_ohm coupling_db eeff_even eeff_odd".split()
CHECK = "w_in s_in check_zo_ohm check_zoe_ohm check_zoo_ohm check_coupling_db".split()
TO = lambda mode: [f"s_{mode}_{p}" for p in ("er", "h", "s", "w", "t")]
KEYS = {
    "impedance": ANALYSIS,
    "dispersion": "f_ghz eeff_even eeff_odd eeff_coupler zoe_ohm zoo_ohm zo_ohm".split(),
    "synthesize": ANALYSIS[:6] + CHECK[2:] + ["l_in"],
    "sensitivity": ["f_ghz", "zoe_ohm", "zoo_ohm"] + TO("zoe") + TO("zoo"),
}
sweep = lambda a, b, c: f"{DEF[a]}:{DEF[b]}:{DEF[c]}"
# The console's dispersion table opens with the static row (0 GHz) when the sweep starts
# above 0; cuplo-calc gives exactly the points asked for, so that row is asked for apart.
baseline = [["--f", "0"]] if float(DEF["Fmin"]) != 0 else []

CHECKED = CHECK + ["check_eeff_even", "check_eeff_odd"]
FREQUENCIES = ["--f", sweep("Fmin", "Fmax", "Fstep")]

# (console answers, cuplo-calc runs whose rows follow one another, [(layout, [keys...])]):
# the console rows of a layout are one table per key list, each corresponding one to one, in
# order, to the cuplo-calc rows. None: a console column that the row does not hold (the
# frequency of a synthesis; the other mode's impedance in a sensitivity table).
SCENARIOS = [
    ("1\n1\n1\n" + "\n" * 10 + "3\n",
     [["impedance", "--w", sweep("Wmin", "Wmax", "Wstep")]], [(ROW, [ANALYSIS])]),
    ("1\n2\n2\n" + "\n" * 10 + "3\n",
     [["dispersion"] + b for b in baseline] + [["dispersion"] + FREQUENCIES],
     [(DISPERSION, [KEYS["dispersion"]])]),
    ("2\n1\n1\n" + "\n" * 6 + "-417\n3\n", [["synthesize"]],
     [(ROW, [ANALYSIS]), (STATIC_CHECK, [CHECKED])]),
    ("2\n2\n1\n" + "\n" * 7 + "-417\n3\n", [["synthesize", "--dispersive"]],
     [(DISPERSIVE_ROW, [[None] + ANALYSIS]), (DISPERSIVE_CHECK, [[None] + CHECKED])]),
    # Both modes: the even-mode table, then the odd-mode one.
    ("1\n3\n1\n3\n" + "\n" * 10 + "3\n", [["sensitivity", "--mode", "both"] + FREQUENCIES],
     [(SENSITIVITY, [["f_ghz", "zoe_ohm", None] + TO("zoe"), ["f_ghz", None, "zoo_ohm"] + TO("zoo")])]),
]


def console_rows(answers, layout):
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(defaults, os.path.join(folder, "CuploDEMO.DEF"))
        out = subprocess.run([cuplo], input=answers.encode(), cwd=folder, capture_output=True,
                             check=True).stdout.decode().replace("\r\n", "\n")
    start, fields = layout
    rows = []
    for line in out.splitlines():
        if not line.startswith(start) or len(line) != len(start) + sum(w for w, _ in fields):
            continue
        cells, at = [], len(start)
        for width, decimals in fields:
            cells.append((line[at:at + width].strip(), decimals))
            at += width
        try:
            [decimal.Decimal(text) for text, _ in cells]
        except decimal.InvalidOperation:
            continue
        rows.append(cells)
    return rows


def in_inches(run):
    """The bare lengths of a run (the console's, in inches) with their unit written."""
    out = list(run)
    for i in range(1, len(out)):
        if out[i - 1] in ("--w", "--s"):
            out[i] = ":".join(part + "in" for part in out[i].split(":"))
    return out


def from_mm(row):
    """A row written in mm as inches: each length divided by 25.4 and rounded to float."""
    return {(k[:-3] + "_in" if k.endswith("_mm") else k):
            (repr(struct.unpack("f", struct.pack("f", float(v) / 25.4))[0])
             if k.endswith("_mm") and v is not None else v) for k, v in row.items()}


def calc_rows(runs, fmt, units):
    rows, command = [], runs[0][0]
    for run in runs:
        if units != "in":
            run = in_inches(run) + ["--units", units]
        done = subprocess.run([calc] + run + ["--defaults", defaults, "--format", fmt],
                              capture_output=True, text=True)
        assert done.returncode == 0 and done.stderr == "", (run, done.stderr)
        if fmt == "json":
            document = json.loads(done.stdout, parse_float=str)
            assert document["command"] == command and document["warnings"] == []
            rows += document["rows"]
        else:
            rows += list(csv.DictReader(io.StringIO(done.stdout)))
    if units == "mm":
        rows = [from_mm(row) for row in rows]
    for row in rows:
        assert list(row)[:len(KEYS[command])] == KEYS[command], list(row)
    return rows


def rounded(text, decimals):
    exact = struct.unpack("f", struct.pack("f", float(text)))[0]  # the 32-bit value itself
    return decimal.Decimal(exact).quantize(decimal.Decimal(1).scaleb(-decimals),
                                           rounding=decimal.ROUND_HALF_UP)


failures = 0
for answers, runs, layouts in SCENARIOS:
    for fmt, units in (("json", "in"), ("csv", "in"), ("json", "mm")):
        ours = calc_rows(runs, fmt, units)
        for layout, tables in layouts:
            theirs = console_rows(answers, layout)
            if len(theirs) != len(ours) * len(tables) or not ours:
                print(f"{runs} {fmt} {units}: {len(ours)} rows, the console {len(theirs)}")
                failures += 1
                continue
            for n, (mine, cells, keys) in enumerate(
                    (m, c, k) for i, k in enumerate(tables)
                    for m, c in zip(ours, theirs[i * len(ours):])):
                for key, (text, decimals) in zip(keys, cells):
                    if key is not None and rounded(mine[key], decimals) != decimal.Decimal(text):
                        print(f"{runs} {fmt} {units} row {n} {key}: {mine[key]} is not {text}")
                        failures += 1
sys.exit(1 if failures else 0)
