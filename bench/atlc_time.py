#!/usr/bin/python3
"""atlc's time for the cross-sections of bench/field_bench.cpp, solved as validation/compare.py
solves a design (the bitmap, atlc's cutoff, the coarse and fine cell in the smallest box, and
the wall study's three boxes), beside the field solver's time for the same cross-section.

usage: atlc_time.py [CUPLO-FIELD-VALUES]   (default build/validation/cuplo-field-values)

CPU time of each atlc process and of the field solver per cross-section (user + sys, from
the children's resource usage; one process at a time, the field solver's over 200 solves). Run it niced on a quiet machine; it takes some minutes."""

import os
import resource
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "validation"))
import compare  # noqa: E402

DESIGNS = ((6, 9.8, 0.6, 0.1, 0.0), (6, 9.8, 0.6, 0.1, 0.03))
# Bitmaps larger than this are not solved (their time is estimated in bench/README.md): the
# thick strips' fine cell, 200 pixels per H, has 2.4 million nodes.
MAX_PIXELS = 1_000_000


def cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def field_ms(values, design, solves=200):
    """The field solver's CPU time per cross-section: one process solving it `solves` times
    (start-up included, a few hundredths of a millisecond per solve)."""
    lines = "".join(" ".join(map(str, design)) + "\n" for _ in range(solves))
    before = cpu()
    subprocess.run([values], input=lines, capture_output=True, text=True, check=True)
    return 1000.0 * (cpu() - before) / solves


def main():
    values = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        HERE, "..", "build", "validation", "cuplo-field-values")
    if not shutil.which("atlc"):
        sys.exit("atlc_time.py: atlc is not installed")
    print("| cross-section (N, Er, W/H, S/H, T/H) | atlc run (px per H, box H) | atlc CPU s "
          "| field solver ms |")
    print("|---|---|---:|---:|")
    for design in DESIGNS:
        total = 0.0
        skipped = 0
        for p, box in compare.runs(design):
            rows, cols, _ = compare.cross_section(design[0], *design[2:], p, box).shape
            name = f"| {', '.join(f'{x:g}' for x in design)} | {p}, {box} ({rows * cols:,} nodes)"
            if rows * cols > MAX_PIXELS:
                skipped += 1
                print(f"{name} | not run | |", flush=True)
                continue
            before = cpu()
            compare.solve(*design, p, box)
            seconds = cpu() - before
            total += seconds
            print(f"{name} | {seconds:.1f} | |", flush=True)
        runs = len(compare.runs(design))
        print(f"| {', '.join(f'{x:g}' for x in design)} | {runs - skipped} of {runs} runs "
              f"| {total:.1f} | {field_ms(values, design):.2f} |", flush=True)


if __name__ == "__main__":
    main()
