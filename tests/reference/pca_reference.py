#!/usr/bin/python3
"""Reference values for the covariance, Jacobi eigenvector and principal component tests.

Run with /usr/bin/python3 (Debian's NumPy); writes pca_reference.txt beside itself.
Every number is written with 17 significant digits.
  data r c       the data matrix (r lines of c; rows are observations)
  covar mode     the c by c matrix of CalcCovar in that mode (c lines of c)
  pca            eigenvalues of the covariance matrix scaled by the sum of their magnitudes,
                 largest first (one line), then the matching unit eigenvectors (c lines)
  eig n          a symmetric matrix (n lines of n), its eigenvalues in ascending order (one
                 line) and the matching unit eigenvectors (n lines)
"""
import os

import numpy as np

rng = np.random.RandomState(20241208)
out = []


def line(values):
    out.append(" ".join("%.17g" % v for v in np.ravel(values)))


def data_set(x):
    r, c = x.shape
    out.append("data %d %d" % (r, c))
    for row in x:
        line(row)
    d = r - 1
    modes = {
        0: x.T @ x / d,
        1: np.cov(x, rowvar=False),
        2: np.corrcoef(x, rowvar=False),
        3: np.corrcoef(x, rowvar=False) ** 2,
        4: np.array([[np.sum((x[:, i] - x[:, j]) ** 2) / d for j in range(c)] for i in range(c)]),
    }
    for mode, m in modes.items():
        out.append("covar %d" % mode)
        for row in m:
            line(row)
    w, v = np.linalg.eigh(np.cov(x, rowvar=False))
    order = np.argsort(w)[::-1]
    out.append("pca")
    line(w[order] / np.sum(np.abs(w)))
    for k in order:
        line(v[:, k])


def eig(a):
    n = a.shape[0]
    out.append("eig %d" % n)
    for row in a:
        line(row)
    w, v = np.linalg.eigh(a)
    line(w)
    for k in range(n):
        line(v[:, k])


# Correlated columns on different scales.
base = rng.standard_normal((15, 4))
mix = np.array([[2.0, 0.5, 0.0, 0.1], [0.0, 1.0, 0.3, 0.0], [0.0, 0.0, 0.2, 0.4],
                [0.0, 0.0, 0.0, 3.0]])
data_set(base @ mix + np.array([10.0, -3.0, 0.5, 100.0]))
data_set(rng.standard_normal((30, 6)))

for n in (3, 6, 12):
    b = rng.standard_normal((n, n))
    eig((b + b.T) / 2)

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "pca_reference.txt"), "w") as f:
    f.write("\n".join(out) + "\n")
