#!/usr/bin/python3
"""Reference values for one-way analysis of variance and the runs tests.

Run with Debian's SciPy:  /usr/bin/python3 tests/reference/anova_reference.py
It rewrites anova_reference.txt next to this script. Lines:

    anova <n> <x1..xn> <g1..gn> <p> <F> <SSbetween> <SSwithin> <SStotal>
    exact <N1> <N2> <runs> <probability>        (exact rational arithmetic)
    bits <string of 0/1> <p>                     (runs test on the bits)
    serial <n> <x1..xn> <p>                      (runs test about the median)

Numbers are written with repr, so they round-trip exactly.
"""

import math
import os
from fractions import Fraction

import numpy as np
from scipy import stats

rows = []
rng = np.random.default_rng(20261208)


def anova(x, g):
    """Sums of squares in exact rational arithmetic from the doubles as stored (numpy's
    floating sums lose about 1e-7 relative for data near 1e9); the p-value is SciPy's F tail
    at that F, cross-checked against stats.f_oneway."""
    x = np.asarray(x, dtype=float)
    g = np.asarray(g, dtype=int)
    ids = list(dict.fromkeys(g.tolist()))
    xs = [Fraction(float(v)) for v in x]
    n, k = len(xs), len(ids)
    grand = sum(xs) / n
    members = [[xs[j] for j in range(n) if g[j] == i] for i in ids]
    means = [sum(m) / len(m) for m in members]
    ssb = sum(len(m) * (mu - grand) ** 2 for m, mu in zip(members, means))
    ssw = sum((v - mu) ** 2 for m, mu in zip(members, means) for v in m)
    sst = sum((v - grand) ** 2 for v in xs)
    F = (ssb / (k - 1)) / (ssw / (n - k))
    p = stats.f.sf(float(F), k - 1, n - k)
    F_scipy, p_scipy = stats.f_oneway(*[x[g == i] for i in ids])
    assert math.isclose(F_scipy, float(F), rel_tol=1e-6), (F_scipy, float(F))
    assert math.isclose(p_scipy, p, rel_tol=1e-5), (p_scipy, p)
    rows.append(" ".join(["anova", str(len(x))] + [repr(float(v)) for v in x] +
                         [str(int(v)) for v in g] +
                         [repr(float(v)) for v in (p, F, ssb, ssw, sst)]))


anova([6.1, 5.9, 7.2, 8.0, 7.7, 8.4, 5.0, 5.5, 4.9, 6.0],
      [7, 7, 3, 3, 3, 3, 12, 12, 12, 12])
for k, n in [(2, 7), (3, 30), (5, 60), (8, 200)]:
    g = rng.integers(-5, -5 + k, size=n)
    g[:k] = np.arange(-5, -5 + k)
    x = rng.normal(0.0, 1.0, size=n) + 0.3 * g
    anova(x, g)
# Far from zero: sums of squares must not cancel.
g = np.array([1, 2, 3] * 8)
anova(1e9 + rng.normal(0.0, 1.0, size=24) + 0.5 * g, g)
# Strong effect: a p-value far below 1e-10.
g = np.array([1] * 20 + [2] * 20)
anova(np.concatenate([rng.normal(0, 1, 20), rng.normal(6, 1, 20)]), g)


def exact(n1, n2, r):
    a, b = min(n1, n2), max(n1, n2)
    total = math.comb(a + b, a)
    s = 0
    for k in range(2, r + 1):
        m = (k + 1) // 2
        c = lambda n, j: math.comb(n, j) if 0 <= j <= n else 0
        if k % 2 == 0:
            s += 2 * c(a - 1, m - 1) * c(b - 1, m - 1)
        else:
            s += c(a - 1, m - 1) * c(b - 1, m - 2) + c(a - 1, m - 2) * c(b - 1, m - 1)
    return float(Fraction(s, total))


for n1, n2, r in [(3, 4, 2), (3, 4, 3), (3, 4, 5), (5, 5, 4), (10, 12, 9), (25, 25, 20),
                  (25, 25, 26), (20, 25, 18), (30, 35, 25), (40, 40, 41), (1, 10, 2),
                  (700, 800, 700), (700, 800, 760)]:
    rows.append(f"exact {n1} {n2} {r} {exact(n1, n2, r)!r}")


def runs_p(bits):
    n1 = bits.count("1")
    n0 = bits.count("0")
    r = 1 + sum(1 for i in range(1, len(bits)) if bits[i] != bits[i - 1])
    if n1 <= 25 and n0 <= 25:
        return exact(n1, n0, r)
    mu = 2 * n1 * n0 / (n1 + n0) + 1
    sigma = math.sqrt(2 * n1 * n0 * (2 * n1 * n0 - n1 - n0) / ((n1 + n0) ** 2 * (n1 + n0 - 1)))
    z = (r - mu) / sigma
    return stats.norm.cdf(z) if z <= 0 else stats.norm.sf(z)


for n, prob in [(12, 0.5), (40, 0.5), (60, 0.3), (200, 0.5)]:
    bits = "".join("1" if v else "0" for v in rng.random(n) < prob)
    rows.append(f"bits {bits} {runs_p(bits)!r}")
rows.append(f"bits {'0' * 30 + '1' * 30} {runs_p('0' * 30 + '1' * 30)!r}")

for n in [9, 40, 101]:
    x = np.round(rng.normal(10.0, 2.0, size=n), 1)
    med = np.median(x)
    bits = "".join("1" if v > med else "0" for v in x)
    rows.append(" ".join(["serial", str(n)] + [repr(float(v)) for v in x] +
                         [repr(float(runs_p(bits)))]))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "anova_reference.txt")
with open(out, "w") as f:
    f.write("# written by anova_reference.py\n")
    f.write("\n".join(rows) + "\n")
