#!/usr/bin/python3
"""Writes vector_stats.txt: reference statistics of a few fixed data sets, from NumPy/SciPy.

Run with Debian's python3 (numpy, scipy). Every value is written with repr() so the table
reads back to the same doubles. Formats:
  data <name> <n> then n values, one per line
  <key> <value...>   for every statistic of that data set
  end
Skewness and kurtosis: SciPy's biased moment ratios g1, g2 are converted to the definitions
with the sample deviation (divisor n - 1): skew = g1 * ((n-1)/n)^1.5,
kurt = (g2 + 3) * ((n-1)/n)^2 - 3; the small-sample values are SciPy's bias=False results.
Quartiles are NumPy's 'weibull' method (position (n+1)q), percentiles its 'linear' method.
"""
import numpy as np
from scipy import stats

rng = np.random.RandomState(20240607)
sets = {
    "normal50": rng.normal(10.0, 3.0, 50),
    "lognormal37": rng.lognormal(0.5, 0.8, 37),
    "uniform8": rng.uniform(1.0, 2.0, 8),
    "ties12": np.array([3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5, 8], dtype=float),
    "large101": 1e6 + rng.normal(0.0, 1.0, 101),
}
probs = [0.0, 1.0, 12.5, 25.0, 50.0, 62.5, 90.0, 99.0, 100.0]

with open("vector_stats.txt", "w") as f:
    for name, x in sets.items():
        n = len(x)
        f.write(f"data {name} {n}\n")
        for v in x:
            f.write(repr(float(v)) + "\n")
        g1 = stats.skew(x, bias=True)
        g2 = stats.kurtosis(x, fisher=True, bias=True)
        r = (n - 1) / n
        f.write(f"mean {float(np.mean(x))!r}\n")
        f.write(f"var {float(np.var(x, ddof=1))!r}\n")
        f.write(f"skew {float(g1 * r ** 1.5)!r}\n")
        f.write(f"kurt {float((g2 + 3) * r ** 2 - 3)!r}\n")
        f.write(f"skewsample {float(stats.skew(x, bias=False))!r}\n")
        f.write(f"kurtsample {float(stats.kurtosis(x, fisher=True, bias=False))!r}\n")
        if np.all(x > 0):
            f.write(f"gmean {float(stats.gmean(x))!r}\n")
            f.write(f"hmean {float(stats.hmean(x))!r}\n")
        q = np.percentile(x, [25, 50, 75], method="weibull")
        f.write("quartiles " + " ".join(repr(float(v)) for v in q) + "\n")
        for p in probs:
            f.write(f"percentile {p!r} {float(np.percentile(x, p, method='linear'))!r}\n")
        f.write(f"mode {float(stats.mode(x, keepdims=False).mode)!r}\n")
        f.write("end\n")
