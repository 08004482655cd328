#!/usr/bin/env python3
"""Self instruction counts of a callgrind profile, split by where they are spent.

Usage: callgrind_split.py PROFILE [--top N]

Prints the program total and the self cost (instructions executed inside the function
itself, calls excluded) of five groups: the float math library, the model routines
(cuplo::models, cuplo::network, cuplo::design), the text layer (cuplo::text), the C++
standard library, and everything else (C library, start-up, the driver and reports).
With --top N also the N most expensive functions by self cost.
"""
import re
import sys
from collections import defaultdict


def parse(path):
    names = {"ob": {}, "fn": {}, "fl": {}}
    self_cost = defaultdict(int)  # (object, function) -> Ir
    total = 0
    ob = fn = None
    after_calls = False
    alias = {"cob": "ob", "cfn": "fn", "cfi": "fl", "cfl": "fl", "fi": "fl", "fe": "fl"}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line:
                continue
            m = re.match(r"^(ob|fn|fl|fi|fe|cob|cfn|cfi|cfl)=(?:\((\d+)\))?\s*(.*)$", line)
            if m:
                key, ident, name = m.groups()
                table = names[alias.get(key, key)]
                if ident is not None:
                    if name:
                        table[ident] = name
                    else:
                        name = table.get(ident, "?")
                if key == "ob":
                    ob = name
                elif key == "fn":
                    fn = name
                continue
            if line.startswith("calls="):
                after_calls = True
                continue
            if line[0] in "0123456789+-*":
                parts = line.split()
                cost = int(parts[1]) if len(parts) > 1 else 0
                if after_calls:
                    after_calls = False  # inclusive cost of a call: not self cost
                    continue
                self_cost[(ob, fn)] += cost
                total += cost
                continue
            if line.startswith("summary:"):
                continue
    return total, self_cost


def group(ob, fn):
    if "libm.so" in ob or "libm-" in ob:
        return "libm"
    if re.search(r"cuplo::(models|network|design)::", fn):
        return "models"
    if "cuplo::text::" in fn:
        return "text"
    if "libstdc++" in ob:
        return "libstdc++"
    return "other"


def main():
    path = sys.argv[1]
    top = 0
    if "--top" in sys.argv:
        top = int(sys.argv[sys.argv.index("--top") + 1])
    total, self_cost = parse(path)
    groups = defaultdict(int)
    for (ob, fn), cost in self_cost.items():
        groups[group(ob or "", fn or "")] += cost
    print(f"total {total}")
    for name in ("libm", "models", "text", "libstdc++", "other"):
        print(f"{name} {groups[name]}")
    if top:
        ranked = sorted(self_cost.items(), key=lambda kv: -kv[1])[:top]
        for (ob, fn), cost in ranked:
            print(f"# {cost:>12} {fn}  [{(ob or '').rsplit('/', 1)[-1]}]")


if __name__ == "__main__":
    main()
