#!/usr/bin/python3
"""Reference values for the TCurveFit fits.

Run with /usr/bin/python3 (Debian's NumPy and SciPy); writes curvefit_reference.txt beside
itself. Every number has 17 significant digits. Records, each on its own line(s):
  data NAME n        then n lines "x y"
  lin NAME           k d r2                       (numpy.polyfit order 1)
  par NAME           k0 k1 k2 r2                  (numpy.polyfit order 2)
  poly NAME m        r2, then k0..km, then alpha0..alpham
  cpoly NAME m s     r2, then k0..km in powers of (x - s), then alpha0..alpham
  circle NAME        r dx dy                      (algebraic circle fit by numpy.linalg.lstsq)
r2 is the squared correlation of y and the fitted values; alpha_j the two-sided Student t
significance of coefficient j from the ordinary least-squares covariance. For cpoly the
constant's significance is that of the fit of y - mean(y).
"""
import os

import numpy as np
from scipy import stats

rng = np.random.RandomState(20261208)
out = []
sets = {}


def line(values):
    out.append(" ".join("%.17g" % v for v in np.ravel(values)))


def data(name, x, y):
    sets[name] = (np.asarray(x, float), np.asarray(y, float))
    out.append("data %s %d" % (name, len(x)))
    for a, b in zip(x, y):
        line([a, b])


def r2(y, f):
    return np.corrcoef(y, f)[0, 1] ** 2


def ols(u, t, m):
    """Coefficients (constant first), significance levels and fitted values of t on u^0..u^m."""
    a = np.vander(u, m + 1, increasing=True)
    c, *_ = np.linalg.lstsq(a, t, rcond=None)
    f = a @ c
    df = len(u) - m - 1
    alpha = np.zeros(m + 1)
    if df >= 1:
        s2 = np.sum((t - f) ** 2) / df
        se = np.sqrt(s2 * np.diag(np.linalg.inv(a.T @ a)))
        alpha = 2 * stats.t.sf(np.abs(c / se), df)
    return c, alpha, f


def lin(name):
    x, y = sets[name]
    k, d = np.polyfit(x, y, 1)
    out.append("lin %s" % name)
    line([k, d, r2(y, k * x + d)])


def par(name):
    x, y = sets[name]
    k2, k1, k0 = np.polyfit(x, y, 2)
    out.append("par %s" % name)
    line([k0, k1, k2, r2(y, k0 + k1 * x + k2 * x * x)])


def poly(name, m):
    x, y = sets[name]
    c, alpha, f = ols(x, y, m)
    out.append("poly %s %d" % (name, m))
    line([r2(y, f)])
    line(c)
    line(alpha)


def cpoly(name, m, s):
    x, y = sets[name]
    my = y.mean()
    c, alpha, f = ols(x - s, y - my, m)
    c[0] += my
    out.append("cpoly %s %d %.17g" % (name, m, s))
    line([r2(y, f + my)])
    line(c)
    line(alpha)


def circle(name):
    x, y = sets[name]
    # x² + y² = 2·dx·x + 2·dy·y + c, linear in (dx, dy, c)
    a = np.column_stack([2 * x, 2 * y, np.ones_like(x)])
    (dx, dy, c), *_ = np.linalg.lstsq(a, x * x + y * y, rcond=None)
    out.append("circle %s" % name)
    line([np.sqrt(c + dx * dx + dy * dy), dx, dy])


x = np.linspace(-3.0, 5.0, 25) + rng.uniform(-0.05, 0.05, 25)
y = 0.7 - 1.3 * x + 0.45 * x**2 - 0.08 * x**3 + rng.normal(0.0, 0.3, 25)
data("noisy", x, y)
lin("noisy")
par("noisy")
for m in (1, 2, 3, 5):
    poly("noisy", m)
cpoly("noisy", 3, x.mean())
cpoly("noisy", 2, 1.5)

# Far from the origin: the centred fit stays accurate where plain powers are ill-conditioned.
x = 1000.0 + np.arange(12) * 0.25
y = 2.0 + 0.5 * (x - 1001.0) - 0.3 * (x - 1001.0) ** 2 + rng.normal(0.0, 0.01, 12)
data("offset", x, y)
cpoly("offset", 2, x.mean())
lin("offset")

t = np.sort(rng.uniform(0.0, 2 * np.pi, 30))
x = 1.5 + 2.5 * np.cos(t) + rng.normal(0.0, 0.05, 30)
y = -0.7 + 2.5 * np.sin(t) + rng.normal(0.0, 0.05, 30)
data("ring", x, y)
circle("ring")

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "curvefit_reference.txt"), "w") as f:
    f.write("\n".join(out) + "\n")
