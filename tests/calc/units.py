#!/usr/bin/python3
"""cuplo-calc --units: a design entered and written in mm (um, mil) is the same design as in
inches, to the last bit of every 32-bit value: each length written, divided by the unit's size
in inches and rounded to a 32-bit float (what the tool's reader does with it), is the value
computed in inches, and typed back it gives the same rows. Keys and heads carry the unit.

usage: units.py CUPLO_CALC DEFAULTS_FILE
"""
import csv
import io
import json
import struct
import subprocess
import sys

calc, defaults = sys.argv[1:3]
PER_INCH = {"in": 1.0, "mil": 1000.0, "mm": 25.4, "um": 25400.0}
failures = []


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def run(*args):
    done = subprocess.run([calc, *args], capture_output=True, text=True)
    if done.returncode != 0:
        failures.append((args, done.returncode, done.stderr))
        return None
    return done.stdout


def inches(key, text):
    """A value as the tool reads it back: a length divided by its unit's size, in double,
    rounded once to float; any other value as the float it is."""
    unit = key.rsplit("_", 1)[-1]
    if unit in PER_INCH:
        return f32(float(text) / PER_INCH[unit])
    return f32(float(text))


def stem(key):
    unit = key.rsplit("_", 1)[-1]
    return key[: -len(unit) - 1] if unit in PER_INCH else key


def same(label, reference, other):
    """Rows equal key by key, lengths through their unit."""
    ref = {stem(k): inches(k, v) for k, v in reference.items() if v is not None}
    oth = {stem(k): inches(k, v) for k, v in other.items() if v is not None}
    if ref != oth:
        failures.append((label, reference, other))


SUBSTRATE_IN = ["--n", "4", "--er", "9.8", "--h", "0.025", "--t", "0.0002", "--f", "10"]
# The same substrate typed as bare numbers in each unit.
SUBSTRATE = {
    "mm": ["--n", "4", "--er", "9.8", "--h", "0.635", "--t", "0.00508", "--f", "10"],
    "um": ["--n", "4", "--er", "9.8", "--h", "635", "--t", "5.08", "--f", "10"],
    "mil": ["--n", "4", "--er", "9.8", "--h", "25", "--t", "0.2", "--f", "10"],
}

base = run("synthesize", *SUBSTRATE_IN, "--zo", "50", "--coupling", "3", "--format", "json")
base_row = json.loads(base, parse_float=str)["rows"][0] if base else {}
for unit, substrate in SUBSTRATE.items():
    text = run("synthesize", "--units", unit, *substrate, "--zo", "50", "--coupling", "3",
               "--format", "json")
    if text is None:
        continue
    doc = json.loads(text, parse_float=str)
    # The design block and the rows carry the unit in every length's key.
    keys = list(doc["design"]) + list(doc["rows"][0])
    for key in (f"h_{unit}", f"t_{unit}", f"w_{unit}", f"s_{unit}", f"l_{unit}"):
        if key not in keys:
            failures.append((unit, "no key", key, keys))
    if any(k.endswith("_in") for k in keys):
        failures.append((unit, "a key in inches", keys))
    same(f"synthesize in {unit}", base_row, doc["rows"][0])
    # The synthesized width and spacing typed back in the unit: the same cross-section.
    row = doc["rows"][0]
    back = run("impedance", "--units", unit, *substrate, "--w", row[f"w_{unit}"], "--s",
               row[f"s_{unit}"], "--format", "csv")
    there = run("impedance", *SUBSTRATE_IN, "--w", base_row["w_in"], "--s", base_row["s_in"],
                "--format", "csv")
    if back and there:
        mine = next(csv.DictReader(io.StringIO(back)))
        same(f"impedance typed back in {unit}", next(csv.DictReader(io.StringIO(there))), mine)
        if list(mine)[:2] != [f"w_{unit}", f"s_{unit}"]:
            failures.append((unit, "csv keys", list(mine)))

# A sweep of lengths: the design's start, stop and step and every row's width, in the unit.
text = run("impedance", "--units", "mil", *SUBSTRATE["mil"], "--w", "1:4:0.5", "--s", "2",
           "--format", "json")
if text:
    doc = json.loads(text)
    if doc["design"]["w_mil"] != {"start": 1, "stop": 4, "step": 0.5, "points": 7}:
        failures.append(("sweep in mil", doc["design"]["w_mil"]))
    if [r["w_mil"] for r in doc["rows"]] != [1, 1.5, 2, 2.5, 3, 3.5, 4]:
        failures.append(("rows in mil", [r["w_mil"] for r in doc["rows"]]))
# The swept width of the sensitivities, in the unit.
text = run("sensitivity", "--units", "mil", *SUBSTRATE["mil"], "--w", "1:2:0.5", "--s", "2",
           "--format", "csv")
if text and [r["w_mil"] for r in csv.DictReader(io.StringIO(text))] != ["1", "1.5", "2"]:
    failures.append(("sensitivity over w in mil", text))
# A unit written with the number wins over --units.
text = run("impedance", "--units", "mm", *SUBSTRATE["mm"], "--w", "1.5mil", "--s", "2mil",
           "--format", "csv")
if text and next(csv.DictReader(io.StringIO(text)))["w_mm"] != "0.0381":
    failures.append(("unit written wins", text))
# The table's heads carry the unit.
text = run("impedance", "--units", "um", *SUBSTRATE["um"], "--w", "38.1", "--s", "50.8",
           "--format", "table")
if text and not text.split()[:4] == ["W", "(um)", "S", "(um)"]:
    failures.append(("table heads", text.splitlines()[0]))

for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
