#!/usr/bin/env python3
"""Reference values for the densities, special functions and scalar functions at extreme
arguments, to 40 digits with mpmath. Output pasted into tests/analysis/extremes_test.cpp."""
from mpmath import mp, mpf, loggamma, exp, log, sqrt, pi, erf, atanh, tanh, sinh

mp.dps = 40


def t(x, n):
    n = mpf(n)
    return exp(loggamma((n + 1) / 2) - loggamma(n / 2)) / sqrt(n * pi) * (1 + mpf(x) ** 2 / n) ** (-(n + 1) / 2)


def chi2(x, k):
    x, h = mpf(x), mpf(k) / 2
    return exp((h - 1) * log(x) - x / 2 - h * log(2) - loggamma(h))


def f(x, a, b):
    x, a, b = mpf(x), mpf(a), mpf(b)
    return exp(a / 2 * log(a) + b / 2 * log(b) + (a / 2 - 1) * log(x) - (a + b) / 2 * log(a * x + b)
               - (loggamma(a / 2) + loggamma(b / 2) - loggamma((a + b) / 2)))


def weibull(x, k, lam):
    x, k, lam = mpf(x), mpf(k), mpf(lam)
    return k / lam * (x / lam) ** (k - 1) * exp(-(x / lam) ** k)


rows = [
    ("t", 0, 1e15, t(0, 10**15)), ("t", 1.3, 150, t(1.3, 150)), ("t", 2.5, 1e6, t(2.5, 10**6)),
    ("t", 0.7, 7, t(0.7, 7)),
    ("chi2", 1e14, 1e14, chi2(10**14, 10**14)), ("chi2", 120, 110, chi2(120, 110)),
    ("chi2", 3.5, 4, chi2(3.5, 4)),
    ("F", 1, (1e14, 1e14), f(1, 10**14, 10**14)), ("F", 0.8, (5, 300), f(0.8, 5, 300)),
    ("F", 1.2, (150, 90), f(1.2, 150, 90)), ("F", 2.0, (3, 8), f(2, 3, 8)),
    ("weibull", 2, (2000, 2), weibull(2, 2000, 2)), ("weibull", 1e-300, (2, 1e-300), weibull(mpf('1e-300'), 2, mpf('1e-300'))),
    ("erf", 1e-200, None, erf(mpf('1e-200'))), ("erf", 0.3, None, erf(mpf('0.3'))),
    ("fisher", 1e-20, None, atanh(mpf('1e-20'))), ("fisherinv", 1e-20, None, tanh(mpf('1e-20'))),
    ("sinh", 1e-20, None, sinh(mpf('1e-20'))), ("sinh", 710, None, sinh(710)),
    ("tgh", 1e-20, None, tanh(mpf('1e-20'))), ("lngamma", 2.557e305, None, loggamma(mpf('2.557e305'))),
]
for r in rows:
    print(r[0], r[1], r[2], mp.nstr(r[3], 20))
