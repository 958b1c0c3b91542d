#!/usr/bin/python3
"""Reference values for the least-squares, pseudo-inverse and Mahalanobis tests.

Run with /usr/bin/python3 (Debian's NumPy and SciPy); writes lsq_reference.txt beside itself.
Each record starts with a keyword line; every number is written with 17 significant digits.
  lsq m n      A (m lines of n), b (one line), x (minimum-norm least-squares solution),
               then the residual norm |A x - b|
  pinv m n     A (m lines of n), then P = pinv(A) (n lines of m)
  maha n       u, v, VI (n lines of n), then the distance
"""
import os

import numpy as np
from scipy.spatial import distance

rng = np.random.RandomState(20240611)
out = []


def line(values):
    out.append(" ".join("%.17g" % v for v in np.ravel(values)))


def lsq(a, b):
    m, n = a.shape
    x = np.linalg.lstsq(a, b, rcond=None)[0]
    out.append("lsq %d %d" % (m, n))
    for row in a:
        line(row)
    line(b)
    line(x)
    line([np.linalg.norm(a @ x - b)])


def pinv(a):
    m, n = a.shape
    out.append("pinv %d %d" % (m, n))
    for row in a:
        line(row)
    for row in np.linalg.pinv(a):
        line(row)


# Over-determined, square, under-determined (minimum-norm) and rank-deficient systems.
for m, n in [(8, 3), (20, 5), (4, 4), (1, 3), (2, 4), (3, 5), (2, 7), (4, 9)]:
    lsq(rng.standard_normal((m, n)), rng.standard_normal(m))
a = rng.standard_normal((10, 2))
rank_def = np.column_stack([a[:, 0], a[:, 1], a[:, 0] + 2 * a[:, 1]])
lsq(rank_def, rng.standard_normal(10))

for m, n in [(5, 3), (3, 5), (6, 6)]:
    pinv(rng.standard_normal((m, n)))
pinv(np.diag([3.0, 0.0, -2.0]))
pinv(rank_def[:6])

for n in [1, 2, 4, 6]:
    g = rng.standard_normal((n, n))
    vi = g @ g.T + n * np.eye(n)
    u = rng.standard_normal(n)
    v = rng.standard_normal(n)
    out.append("maha %d" % n)
    line(u)
    line(v)
    for row in vi:
        line(row)
    line([distance.mahalanobis(u, v, vi)])

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "lsq_reference.txt"), "w") as f:
    f.write("\n".join(out) + "\n")
