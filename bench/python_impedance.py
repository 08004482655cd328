"""cuplo.impedance over the 100,000 widths of bench/answers/impedance_100k (W from 0.001 to
0.0109999 in, step 0.0000001, as cuplo-calc's sweep makes them; H 0.025, T 0.0002, S 0.002,
Er 9.8, N 4, 10 GHz).

Usage: /usr/bin/python3 bench/python_impedance.py [REPETITIONS]
Prints the CPU time of the call alone (time.process_time, best of REPETITIONS, default 1) in
seconds, and the number of points.
"""
import sys
import time

import numpy as np

import cuplo

repetitions = int(sys.argv[1]) if len(sys.argv) > 1 else 1
# The sweep's points as cuplo-calc computes them: start + k * step in 32-bit floats.
w_in = np.float32(0.001) + np.arange(100_000, dtype=np.float32) * np.float32(1e-7)
w = w_in.astype(np.float64) * 0.0254
alumina = cuplo.Substrate(er=9.8, h="0.025in", t="0.0002in")
best = float("inf")
for _ in range(repetitions):
    start = time.process_time()
    z = cuplo.impedance(alumina, n=4, w=w, s="0.002in", f="10GHz")
    best = min(best, time.process_time() - start)
print(f"{best:.3f} {z.zo.size}")
