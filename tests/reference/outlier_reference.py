#!/usr/bin/python3
"""Critical values of Dixon's outlier ratios and of Wilcoxon's signed-rank statistic.

Run with Debian's SciPy:  /usr/bin/python3 tests/reference/outlier_reference.py
It rewrites outlier_reference.txt next to this script. Lines:

    dixon <n> <c(0.001)> ... <c(0.5)>      n = 3..100, nine one-sided levels
    wilcoxon <n> <T(0.1)> ... <T(0.001)>    n = 8..100, five two-sided levels (0: none)
    wfit <n> <alpha> <two-sided 0/1> <q>    least-squares parabola in ln(level) through the
                                            first 3 (n = 8), 4 (n = 9, 10) or 5 table values
                                            of row n (numpy.polyfit), rounded half to even,
                                            at ln alpha (ln 2·alpha one-sided); below 0 is 0

Dixon: for a normal sample the ratio r = (x(n) - x(n-j)) / (x(n) - x(a)) with (a, j) = (1, 1)
for n <= 7, (2, 1) for n <= 10, (2, 2) for n <= 13 and (3, 2) beyond. P(r > R) is the
integral of the joint density of x(a), x(n-j), x(n); the middle order statistic integrates
in closed form to a regularised incomplete beta function, leaving a two-dimensional
Gauss-Legendre integral over x(a) and the range. The critical value solves P(r > R) = level.

Wilcoxon: the exact null distribution of the signed-rank sum by counting subsets; T is the
largest value with P(W <= T) <= level/2, or 0 when there is none.
"""

import math
import os

import numpy as np
from scipy import optimize, special

LEVELS = [0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5]
WLEVELS = [0.1, 0.05, 0.02, 0.01, 0.001]

xu, wu = np.polynomial.legendre.leggauss(240)
U_LO, U_HI, D_HI = -9.0, 6.0, 13.0


def shape(n):
    if n <= 7:
        return 1, 1
    if n <= 10:
        return 2, 1
    if n <= 13:
        return 2, 2
    return 3, 2


def tail_fn(n):
    a, j = shape(n)
    p = n - j - a - 1  # order statistics strictly between x(a) and x(n-j)
    q = j - 1          # strictly between x(n-j) and x(n)
    const = math.exp(math.lgamma(n + 1) - math.lgamma(a) - math.lgamma(p + 1)
                     - math.lgamma(q + 1) + special.betaln(p + 1, q + 1))
    u = 0.5 * (U_HI - U_LO) * xu + 0.5 * (U_HI + U_LO)
    d = 0.5 * D_HI * (xu + 1.0)
    U, D = np.meshgrid(u, d, indexing="ij")
    W = U + D
    wgt = np.outer(wu * 0.5 * (U_HI - U_LO), wu * 0.5 * D_HI)
    Fu, Fw = special.ndtr(U), special.ndtr(W)
    span = Fw - Fu
    base = const * wgt * Fu ** (a - 1) * special.ndtr(-W) ** 0 * np.exp(
        -0.5 * (U * U + W * W)) / (2 * math.pi) * span ** (p + q + 1)
    ok = span > 0

    def tail(R):
        v = W - R * D
        z = np.where(ok, (special.ndtr(v) - Fu) / np.where(ok, span, 1.0), 0.0)
        return float(np.sum(base * special.betainc(p + 1, q + 1, np.clip(z, 0.0, 1.0))))

    return tail


lines = []
for n in range(3, 101):
    tail = tail_fn(n)
    assert abs(tail(0.0) - 1.0) < 1e-9, (n, tail(0.0))
    crit = [optimize.brentq(lambda r: tail(r) - lev, 0.0, 1.0, xtol=1e-10) for lev in LEVELS]
    lines.append("dixon %d " % n + " ".join("%.6f" % c for c in crit))

for n in range(8, 101):
    top = n * (n + 1) // 2
    counts = [0] * (top + 1)
    counts[0] = 1
    for k in range(1, n + 1):
        for s in range(top, k - 1, -1):
            counts[s] += counts[s - k]
    total = 2 ** n
    row = []
    for lev in WLEVELS:
        best, cum = 0, 0
        for t in range(top + 1):
            cum += counts[t]
            if cum * 2 > lev * total:  # P(W <= t) > level/2 in exact integers scaled
                break
            best = t
        else:
            best = top
        row.append(best if counts[0] * 2 <= lev * total else 0)
    lines.append("wilcoxon %d " % n + " ".join(str(v) for v in row))
    m = 3 if n == 8 else (4 if n <= 10 else 5)
    coef = np.polyfit(np.log(WLEVELS[:m]), np.array(row[:m], dtype=float), 2)
    for alpha, two in ((0.1, 1), (0.05, 1), (0.01, 1), (0.001, 1), (0.03, 1), (0.0005, 1),
                       (0.2, 1), (0.025, 0), (0.07, 0)):
        la = math.log(alpha if two else 2 * alpha)
        q = max(0, int(round(float(np.polyval(coef, la)))))
        lines.append("wfit %d %r %d %d" % (n, alpha, two, q))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "outlier_reference.txt")
with open(out, "w") as fh:
    fh.write("\n".join(lines) + "\n")
