#!/usr/bin/env python3
"""Reference values of the regularised incomplete gamma and beta functions, to 20 digits with
mpmath: its own functions for moderate parameters, and for huge ones the integral of the
density about its centre at 50 digits (mpmath's series do not converge there). Output pasted
into tests/analysis/incomplete_test.cpp."""
from mpmath import mp, mpf, gammainc, betainc, quad, exp, log, loggamma, sqrt

mp.dps = 50


def gamma_p_by_quadrature(a, x):
    a, x = mpf(a), mpf(x)
    lg = loggamma(a)
    dens = lambda t: exp((a - 1) * log(t) - t - lg)
    s = sqrt(a)
    if x < a:
        return quad(dens, [max(a - 40 * s, 0), a - 20 * s, a - 5 * s, x]) if x > a - 5 * s else \
            quad(dens, [max(a - 40 * s, 0), x])
    return 1 - quad(dens, [x, a + 5 * s, a + 20 * s, a + 40 * s]) if x < a + 5 * s else \
        1 - quad(dens, [x, a + 40 * s])


rows = []
for a, x in [(0.5, 0.25), (3, 1.2), (30, 24.5), (99, 120), (150, 137.75), (1e3, 970),
             (1e5, 99700), (1e5, 101000)]:
    rows.append(('G', a, x, gammainc(mpf(a), 0, mpf(x), regularized=True)))
for a, x in [(1e6, 1e6 + 2), (1e8, 1e8 + 2), (1e12, 1e12 - 1e6), (1e15, 1e15 + 3e7)]:
    rows.append(('G', a, x, gamma_p_by_quadrature(a, x)))
def beta_by_quadrature(x, a, b):
    x, a, b = mpf(x), mpf(a), mpf(b)
    lb = loggamma(a) + loggamma(b) - loggamma(a + b)
    dens = lambda t: exp((a - 1) * log(t) + (b - 1) * log(1 - t) - lb)
    m = (a - 1) / (a + b - 2)
    s = sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
    pts = [t for t in (m - 40 * s, m - 10 * s, m - 3 * s, m, m + 3 * s, m + 10 * s, m + 40 * s)
           if 0 < t < 1]
    if x < m:
        return quad(dens, [p for p in pts if p < x] + [x])
    return 1 - quad(dens, [x] + [p for p in pts if p > x])


for x, a, b in [(0.1, 0.5, 3), (0.5, 2, 0.5), (0.9, 10, 0.5), (0.3, 200, 300), (0.41, 200, 300),
                (0.999, 0.5, 3)]:
    rows.append(('B', (a, b), x, betainc(mpf(a), mpf(b), 0, mpf(x), regularized=True)))
for x, a, b in [(0.5, 5000, 4000), (0.555, 5000, 4000), (0.5001, 1e6, 1e6)]:
    rows.append(('B', (a, b), x, beta_by_quadrature(x, a, b)))
for r in rows:
    print(r[0], r[1], r[2], mp.nstr(r[3], 20), mp.nstr(1 - r[3], 20))
