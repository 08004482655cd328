#!/usr/bin/python3
"""cuplo-calc interrupted by a real signal during a long sweep written to a file: the run ends
with 128 + the signal's number, and neither the file nor its temporary is left behind, nor is
an existing file of that name touched.

usage: interrupt.py CUPLO_CALC DEFAULTS_FILE
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

calc, defaults = sys.argv[1:3]
# Ten million widths: far longer than the moment the test waits for the temporary to appear.
SWEEP = ["impedance", "--defaults", defaults, "--w", "0.001:0.1:1e-8"]

# (signal, expected exit status, a file of the target's name exists before the run)
CASES = [(signal.SIGINT, 130, False), (signal.SIGTERM, 143, False), (signal.SIGINT, 130, True)]

failures = []
for sig, status, existing in CASES:
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "sweep.csv")
        if existing:
            with open(target, "w") as f:
                f.write("kept\n")
        run = subprocess.Popen([calc] + SWEEP + ["-o", target], stderr=subprocess.DEVNULL)
        # The temporary beside the target is the sign that rows are being written.
        deadline = time.monotonic() + 60
        while (len(os.listdir(folder)) == int(existing) and run.poll() is None and
               time.monotonic() < deadline):
            time.sleep(0.01)
        time.sleep(0.1)
        started = run.poll() is None
        run.send_signal(sig)
        code = run.wait(timeout=60)
        left = sorted(os.listdir(folder))
        kept = existing and left == ["sweep.csv"] and open(target).read() == "kept\n"
        if not started or code != status or (left != [] and not kept):
            failures.append((sig.name, existing, started, code, left))
for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
