#!/usr/bin/python3
"""Reference merges for the agglomerative clustering tests.

Run with /usr/bin/python3 (Debian's NumPy and SciPy); writes agglo_reference.txt beside itself.
Every number is written with 17 significant digits.
  data r c                 the data matrix (r lines of c; rows are objects)
  case mode method f       distance mode (TDistMode ordinal), cluster method (TClusterMethod
                           ordinal) and flexibility, then n - 1 lines "node1 node2 distance"
                           with 1-based node numbers, merge j forming node n + j
Cases come from scipy.cluster.hierarchy.linkage where its linkage matches the method:
  single, complete    on the condensed distance matrix of the mode
  ward                Euclidean heights squared, compared with squared Euclidean distances
  weighted (WPGMA)    the plain average of the two distances
  average (UPGMA)     the size-weighted average
The flexible strategy has no SciPy linkage; its merges come from a direct textbook
Lance-Williams loop over the full distance matrix below.
"""
import os

import numpy as np
from scipy.cluster.hierarchy import linkage
from scipy.spatial.distance import pdist, squareform

rng = np.random.RandomState(20250117)
out = []

DM_MANHATTAN, DM_EUCLID, DM_EUCLIDSQR = 1, 2, 3
CM_SINGLE, CM_COMPLETE, CM_WARD, CM_AVG, CM_FLEX, CM_UPGMA = range(6)


def condensed(x, mode):
    if mode == DM_MANHATTAN:
        return pdist(x, "cityblock")
    if mode == DM_EUCLID:
        return pdist(x, "euclidean")
    return pdist(x, "sqeuclidean")


def emit(mode, method, f, merges):
    out.append("case %d %d %.17g" % (mode, method, f))
    for a, b, dist in merges:
        out.append("%d %d %.17g" % (a, b, dist))


def scipy_case(x, mode, method, how, square=False):
    z = linkage(condensed(x, mode) if not square else x, how)
    # distinct distances keep the greedy order and scipy's distance-sorted order the same
    assert np.all(np.diff(z[:, 2]) > 0)
    emit(mode, method, 0.0,
         [(int(a) + 1, int(b) + 1, (h * h if square else h)) for a, b, h, _ in z])


def flexible(x, mode, f):
    d = squareform(condensed(x, mode))
    n = len(d)
    node = list(range(1, n + 1))
    alive = [True] * n
    merges = []
    for j in range(1, n):
        best = None
        for a in range(n):
            for b in range(a + 1, n):
                if alive[a] and alive[b] and (best is None or d[a, b] < best[0]):
                    best = (d[a, b], a, b)
        dab, a, b = best
        merges.append((min(node[a], node[b]), max(node[a], node[b]), dab))
        for r in range(n):
            if alive[r] and r not in (a, b):
                v = f * (d[a, r] + d[b, r]) + (1 - 2 * f) * dab
                d[r, b] = d[b, r] = v
        alive[a] = False
        node[b] = n + j
    emit(mode, CM_FLEX, f, merges)


x = np.round(rng.normal(size=(14, 3)) * 10, 3)
x[7:] += 25  # two loose groups, so the later merges join clusters of several objects
out.append("data %d %d" % x.shape)
for row in x:
    out.append(" ".join("%.17g" % v for v in row))

scipy_case(x, DM_EUCLID, CM_SINGLE, "single")
scipy_case(x, DM_MANHATTAN, CM_COMPLETE, "complete")
scipy_case(x, DM_EUCLID, CM_UPGMA, "average")
scipy_case(x, DM_MANHATTAN, CM_AVG, "weighted")
scipy_case(x, DM_EUCLIDSQR, CM_WARD, "ward", square=True)
flexible(x, DM_EUCLID, 0.25)

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "agglo_reference.txt"), "w") as fh:
    fh.write("\n".join(out) + "\n")
