"""The picture of the README's Response section: |S21|, |S41| and their phase difference
from a Touchstone file of cuplo-calc response, read by scikit-rf.

Usage: /usr/bin/python3 docs/response.py FILE.s4p PICTURE.png
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np
import skrf

n = skrf.Network(sys.argv[1])
fig, (db, deg) = plt.subplots(2, sharex=True, figsize=(7, 6))
n.plot_s_db(m=1, n=0, ax=db)
n.plot_s_db(m=3, n=0, ax=db)
# scikit-rf plots over the frequency in Hz and labels the axis in the file's unit.
deg.plot(n.f, abs(np.angle(n.s[:, 1, 0] / n.s[:, 3, 0], deg=True)))
db.set_title("demo/CuploDEMO.DEF: coupled (S21) and through (S41) ports at 50 ohms")
deg.set_xlabel("Frequency (GHz)")
deg.set_ylabel("Phase S21 - S41 (deg)")
db.grid(True)
deg.grid(True)
fig.tight_layout()
fig.savefig(sys.argv[2], dpi=80)
