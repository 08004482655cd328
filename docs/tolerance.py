"""The picture of the README's Tolerances section: histograms of the coupling and the centre
frequency of the samples that cuplo-calc tolerance wrote with --samples-out.

Usage: /usr/bin/python3 docs/tolerance.py SAMPLES.csv PICTURE.png
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

data = np.genfromtxt(sys.argv[1], delimiter=",", names=True)
fig, (c, f) = plt.subplots(1, 2, figsize=(9, 3.6))
c.hist(data["coupling_db"], bins=60, color="tab:blue")
c.axvspan(-3.05, -2.95, color="tab:green", alpha=0.15, label="3 +- 0.05 dB")
c.set_xlabel("Coupling (dB)")
c.set_ylabel("Samples")
c.legend()
f.hist(data["fo_ghz"], bins=40, color="tab:orange")
f.axvspan(9.95, 10.05, color="tab:green", alpha=0.15, label="10 GHz +- 0.5 %")
f.set_xlabel("Centre frequency (GHz)")
f.legend()
fig.suptitle(f"demo/CuploDEMO.DEF: {len(data)} samples over its tolerances")
fig.tight_layout()
fig.savefig(sys.argv[2], dpi=80)
