#!/usr/bin/python3
"""scikit-learn's Lloyd k-means on the data of kmeans_bench.cpp, for comparison.

100,000 rows by 8 columns, k = 10, the first ten rows as initial centres, n_init=1, one thread.
Run with /usr/bin/python3 (Debian's python3-sklearn); prints rounds, seconds per round and the
within-cluster sum of squares. Not needed by the build or the tests.
"""
import os

os.environ.setdefault("OMP_NUM_THREADS", "1")

import time  # noqa: E402

import numpy as np  # noqa: E402
from sklearn.cluster import KMeans  # noqa: E402
from threadpoolctl import threadpool_limits  # noqa: E402

ROWS, COLS, K = 100_000, 8, 10


def data():
    # The generator of kmeans_bench.cpp: s := s·1664525 + 1013904223 (mod 2^32).
    n = ROWS * COLS
    s = np.empty(n, dtype=np.uint64)
    v = 12345
    for i in range(n):
        v = (v * 1664525 + 1013904223) & 0xFFFFFFFF
        s[i] = v
    u = (s >> np.uint64(8)).astype(np.float64) / 16777216.0
    g = (np.arange(ROWS) * 7 % 10).astype(np.float64)
    scale = (np.arange(COLS) % 3 + 1) * 0.5
    return g[:, None] * scale[None, :] + (u.reshape(ROWS, COLS) - 0.5) * 6.0


def main():
    x = data()
    best = None
    with threadpool_limits(limits=1):
        for _ in range(5):
            km = KMeans(n_clusters=K, init=x[:K].copy(), n_init=1, algorithm="lloyd",
                        max_iter=1000, tol=0.0)
            t0 = time.perf_counter()
            km.fit(x)
            dt = time.perf_counter() - t0
            if best is None or dt < best[0]:
                best = (dt, km.n_iter_, km.inertia_)
    dt, rounds, inertia = best
    print("scikit-learn Lloyd: rounds %d, %.3f ms per round, %.3f ms total, sum of squares %.6f"
          % (rounds, 1e3 * dt / rounds, 1e3 * dt, inertia))


if __name__ == "__main__":
    main()
