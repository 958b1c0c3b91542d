#!/usr/bin/python3
"""Critical values of Grubbs' outlier statistic, down to tail probabilities far below 1e-16.

Run with Debian's SciPy:  /usr/bin/python3 tests/reference/grubbs_reference.py
It rewrites grubbs_reference.txt next to this script. Lines:

    grubbs <n> <alpha> <two-sided 0/1> <G>

G = (n - 1)/sqrt(n) * sqrt(t^2 / (n - 2 + t^2)), with t the upper quantile of Student's t with
n - 2 degrees of freedom at the tail q = alpha / (d n), d = 2 two-sided and 1 one-sided. The
quantile is a 40-digit root (in mpmath) of P(T > t) = q, the tail written as a regularised
incomplete beta function, so no 1 - q is ever formed. It is checked against the closed forms
for 1 and 2 degrees of freedom and against scipy.stats.t.isf for more, which agrees to about
3e-9 here (and is far off for one degree of freedom at q near 1e-100). G is formed as (n - 1)/sqrt(n) / sqrt(1 + (n - 2)/t^2) so that a huge t cannot overflow.
Numbers are written with repr, so they round-trip exactly.
"""

import math
import os

import mpmath
from scipy import stats

mpmath.mp.dps = 40

SIZES = [3, 4, 5, 10, 20, 50, 100, 1000, 100000, 1000000]
ALPHAS = [0.5, 0.05, 0.01, 1e-5, 1e-10, 1e-20, 1e-100]


def t_upper_mp(q, df):
    """t with P(T > t) = q, P(T > t) = I_{df/(df+t^2)}(df/2, 1/2) / 2, solved in ln t."""
    q = mpmath.mpf(q)
    nu = mpmath.mpf(df)

    def tail(lt):
        t2 = mpmath.exp(2 * lt)
        return mpmath.betainc(nu / 2, mpmath.mpf(1) / 2, 0, nu / (nu + t2), regularized=True) / 2

    start = mpmath.log(stats.t.isf(float(q), df))
    lt = mpmath.findroot(lambda v: mpmath.log(tail(v)) - mpmath.log(q), start)
    return mpmath.exp(lt)


def grubbs(n, t):
    return (n - 1) / math.sqrt(n) / math.sqrt(1.0 + (n - 2) / (t * t))


lines = []
for n in SIZES:
    for alpha in ALPHAS:
        for two in (1, 0):
            q = alpha / (2 if two else 1) / n
            t_mp = t_upper_mp(q, n - 2)
            qm = mpmath.mpf(q)
            if n == 3:
                closed = mpmath.cot(mpmath.pi * qm)
            elif n == 4:
                closed = (1 - 2 * qm) / mpmath.sqrt(2 * qm * (1 - qm))
            else:
                closed = None
                t_sp = float(stats.t.isf(q, n - 2))
                assert math.isclose(t_sp, float(t_mp), rel_tol=1e-8), (n, alpha, two, t_sp)
            if closed is not None:
                assert abs(closed / t_mp - 1) < mpmath.mpf(10) ** -30, (n, alpha, two)
            g = grubbs(n, float(t_mp))
            lines.append("grubbs %d %r %d %r" % (n, alpha, two, g))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "grubbs_reference.txt")
with open(out, "w") as fh:
    fh.write("# written by grubbs_reference.py\n")
    fh.write("\n".join(lines) + "\n")
