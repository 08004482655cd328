#!/usr/bin/env python3
"""Assembles the browser page in one folder that opens from the file system or any static
server: the page's own files as they are, the engine's glue and the worker as one script text
(the page starts its workers from it, since a page opened from the file system may not load a
worker's script from a file), the WebAssembly module, and the same module as a script for
such a page, which may not fetch it either.

usage: assemble.py --engine ENGINE.js --page PAGE_DIR --licences FILE... --out DIST
"""
import argparse
import base64
import json
import os
import shutil

parser = argparse.ArgumentParser()
parser.add_argument("--engine", required=True)
parser.add_argument("--page", required=True)
parser.add_argument("--licences", nargs="+", required=True)
parser.add_argument("--out", required=True)
args = parser.parse_args()

os.makedirs(args.out, exist_ok=True)


def write(name, text):
    with open(os.path.join(args.out, name), "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


for name in ["index.html", "cuplo.css", "cuplo.js", "plots.js"]:
    shutil.copyfile(os.path.join(args.page, name), os.path.join(args.out, name))
for path in args.licences:
    shutil.copyfile(path, os.path.join(args.out, os.path.basename(path)))

engine = read(args.engine) + "\n" + read(os.path.join(args.page, "worker.js"))
write("cuplo-engine.js",
      "// The engine's glue and its worker, started by cuplo.js as a worker of this text.\n"
      "var CUPLO_ENGINE_SOURCE = " + json.dumps(engine) + ";\n")

wasm = os.path.splitext(args.engine)[0] + ".wasm"
shutil.copyfile(wasm, os.path.join(args.out, "cuplo.wasm"))
with open(wasm, "rb") as f:
    encoded = base64.b64encode(f.read()).decode("ascii")
write("cuplo-wasm.js",
      "// cuplo.wasm for a page opened from the file system, which cannot fetch it.\n"
      "var CUPLO_WASM_BASE64 = \"" + encoded + "\";\n")
