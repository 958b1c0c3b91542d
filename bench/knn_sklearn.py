#!/usr/bin/python3
"""scikit-learn's brute-force nearest neighbours on the data of knn_bench.cpp, for comparison.

100,000 rows by 8 columns, one probe, k = 10, one thread. Prints the median of 5 runs in ms and
the nearest row (1-based) with the k-th distance. Run with /usr/bin/python3; not needed by the
build or the tests.
"""
import os

os.environ.setdefault("OMP_NUM_THREADS", "1")

import time  # noqa: E402

import numpy as np  # noqa: E402
from sklearn.neighbors import NearestNeighbors  # noqa: E402
from threadpoolctl import threadpool_limits  # noqa: E402

ROWS, COLS, K = 100_000, 8, 10


def data():
    # The generator of knn_bench.cpp: s := s·1664525 + 1013904223 (mod 2^32), rows then probe.
    n = (ROWS + 1) * COLS
    s = np.empty(n, dtype=np.uint64)
    v = 99
    for i in range(n):
        v = (v * 1664525 + 1013904223) & 0xFFFFFFFF
        s[i] = v
    x = (s >> np.uint64(8)).astype(np.float64) / 16777216.0 * 10.0
    x = x.reshape(ROWS + 1, COLS)
    return x[:ROWS], x[ROWS:]


def main():
    x, probe = data()
    nn = NearestNeighbors(n_neighbors=K, algorithm="brute").fit(x)
    times = []
    with threadpool_limits(limits=1):
        for _ in range(5):
            t0 = time.perf_counter()
            dist, ix = nn.kneighbors(probe)
            times.append(time.perf_counter() - t0)
    print("scikit-learn brute force: median %.3f ms, nearest row %d, k-th distance %.6f"
          % (1e3 * float(np.median(times)), ix[0, 0] + 1, dist[0, -1]))


if __name__ == "__main__":
    main()
