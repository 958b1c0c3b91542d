#!/usr/bin/python3
"""Reference statistics over boxes of a fixed matrix, written to matstats_reference.txt.

The matrix has 6 columns and 9 rows, cell(c, r) = ((7c + 11r + 3cr) mod 23 + 1) / 4.
Each line: LowCol LowRow HighCol HighRow followed by mean, variance (n - 1), geometric mean,
harmonic mean, skewness and excess kurtosis (moments about the mean scaled by the sample
deviation), their small-sample versions (scipy, bias=False), the (n + 1)p quartiles (numpy's
weibull method), sum, minimum and maximum.
"""
import numpy as np
from scipy import stats

NC, NR = 6, 9
A = np.array([[((7 * c + 11 * r + 3 * c * r) % 23 + 1) / 4.0 for c in range(1, NC + 1)]
              for r in range(1, NR + 1)])  # A[r-1, c-1]


def valid(lo, hi, n):
    if lo == 0 and hi == 0:
        return 1, n
    lo = min(max(lo, 1), n)
    hi = min(max(hi, 1), n)
    return (hi, lo) if hi < lo else (lo, hi)


BOXES = [(0, 0, 0, 0), (2, 3, 5, 8), (5, 8, 2, 3), (3, 1, 3, 9), (1, 2, 6, 2), (3, 0, 99, 4),
         (2, 2, 3, 3)]

with open(__file__.replace('.py', '.txt'), 'w') as out:
    for lc, lr, hc, hr in BOXES:
        c1, c2 = valid(lc, hc, NC)
        r1, r2 = valid(lr, hr, NR)
        x = A[r1 - 1:r2, c1 - 1:c2].T.ravel()  # columns outer, rows inner
        n = x.size
        s = x.std(ddof=1)
        d = x - x.mean()
        skew = np.mean(d ** 3) / s ** 3
        kurt = np.mean(d ** 4) / s ** 4 - 3
        q = np.percentile(x, [25, 50, 75], method='weibull')
        vals = [x.mean(), x.var(ddof=1) if n >= 3 else 1.0, stats.gmean(x), stats.hmean(x),
                skew, kurt, stats.skew(x, bias=False) if n >= 4 else 0.0,
                stats.kurtosis(x, bias=False) if n >= 4 else 0.0, q[0], q[1], q[2], x.sum(),
                x.min(), x.max()]
        out.write('%d %d %d %d ' % (lc, lr, hc, hr) + ' '.join('%.17g' % v for v in vals) + '\n')
