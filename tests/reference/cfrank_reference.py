#!/usr/bin/python3
"""Reference values for the rank and distribution statistics of the curve-fit store.

Run with Debian's SciPy:  /usr/bin/python3 tests/reference/cfrank_reference.py
It rewrites cfrank_reference.txt next to this script. One line per data set:

    set <n> <x1..xn> <y1..yn> <spearman> <tau_b> <p> <gamma> <q1x> <q2x> <q3x>
        <skewx> <kurtx> <circmeanx>

spearman and tau_b are scipy.stats.spearmanr / kendalltau (tau-b); p is the two-sided normal
tail of tau_b with the tie-free variance (4n + 10)/(9n(n - 1)); gamma counts concordant and
discordant pairs directly; quartiles interpolate at (n + 1)p (numpy's 'weibull' method);
skewness and kurtosis are the bias-corrected sample values; the circular mean reads x in
degrees. Numbers are written with repr, so they round-trip exactly.
"""

import math
import os

import numpy as np
from scipy import stats

rng = np.random.default_rng(20261208)
sets = []
# Continuous data: no ties.
for n in (5, 12, 40):
    x = rng.normal(10.0, 3.0, n)
    sets.append((x, 0.5 * x + rng.normal(0.0, 2.0, n)))
# Heavy ties in both coordinates, on a coarse grid.
for n in (9, 25, 60):
    x = rng.integers(0, 5, n).astype(float)
    sets.append((x, np.round(x + rng.normal(0.0, 1.5, n))))
# Ties in y only; anticorrelated.
x = np.arange(1.0, 16.0)
sets.append((x, np.floor(-x / 3.0)))

lines = []
for x, y in sets:
    n = len(x)
    rho = stats.spearmanr(x, y).correlation
    tau = stats.kendalltau(x, y, variant="b").correlation
    sigma = math.sqrt((4 * n + 10) / (9 * n * (n - 1)))
    p = math.erfc(abs(tau / sigma) / math.sqrt(2))
    c = d = 0
    for i in range(n):
        for j in range(i + 1, n):
            f = (x[i] - x[j]) * (y[i] - y[j])
            c += f > 0
            d += f < 0
    gamma = (c - d) / (c + d)
    q = np.percentile(x, [25, 50, 75], method="weibull")
    skew = stats.skew(x, bias=False)
    kurt = stats.kurtosis(x, bias=False)
    circ = stats.circmean(x, high=360.0, low=0.0)
    vals = [n] + list(x) + list(y) + [rho, tau, p, gamma] + list(q) + [skew, kurt, circ]
    lines.append("set " + " ".join(repr(float(v)) if not isinstance(v, int) else str(v)
                                   for v in vals))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cfrank_reference.txt")
with open(out, "w") as fh:
    fh.write("\n".join(lines) + "\n")
