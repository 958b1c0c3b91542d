#!/usr/bin/python3
"""scikit-learn's Lloyd k-means on the data of kmeans_bench.cpp, for comparison.

100,000 and 1,000,000 rows by 8 columns, k = 10, the first ten rows as initial centres,
n_init=1, one thread. Run with /usr/bin/python3 (Debian's python3-sklearn); prints rounds,
seconds per round and the within-cluster sum of squares of the median of 5 fits per size.
Not needed by the build or the tests.
"""
import os

os.environ.setdefault("OMP_NUM_THREADS", "1")

import time  # noqa: E402

import numpy as np  # noqa: E402
from sklearn.cluster import KMeans  # noqa: E402
from threadpoolctl import threadpool_limits  # noqa: E402

COLS, K = 8, 10
MASK = 0xFFFFFFFF


def lcg(n, seed):
    # s := s·1664525 + 1013904223 (mod 2^32), n values after the seed. A first block by the
    # recurrence, then each block from the one before with the block's multiplier and offset
    # (uint64 products wrap modulo 2^64, which keeps the value modulo 2^32).
    block = 4096
    first = np.empty(block, dtype=np.uint64)
    v = seed
    for i in range(block):
        v = (v * 1664525 + 1013904223) & MASK
        first[i] = v
    a, c = 1, 0
    for _ in range(block):
        a, c = (a * 1664525) & MASK, (c * 1664525 + 1013904223) & MASK
    out = np.empty(-(-n // block) * block, dtype=np.uint64)
    out[:block] = first
    for b in range(1, len(out) // block):
        out[b * block:(b + 1) * block] = (out[(b - 1) * block:b * block] * np.uint64(a)
                                          + np.uint64(c)) & np.uint64(MASK)
    return out[:n]


def data(rows):
    # The generator of kmeans_bench.cpp.
    s = lcg(rows * COLS, 12345)
    u = (s >> np.uint64(8)).astype(np.float64) / 16777216.0
    g = (np.arange(rows) * 7 % 10).astype(np.float64)
    scale = (np.arange(COLS) % 3 + 1) * 0.5
    return g[:, None] * scale[None, :] + (u.reshape(rows, COLS) - 0.5) * 6.0


def main():
    for rows in (100_000, 1_000_000):
        run(rows)


def run(rows):
    x = data(rows)
    fits = []
    with threadpool_limits(limits=1):
        for _ in range(5):
            km = KMeans(n_clusters=K, init=x[:K].copy(), n_init=1, algorithm="lloyd",
                        max_iter=1000, tol=0.0)
            t0, c0 = time.perf_counter(), time.process_time()
            km.fit(x)
            fits.append((time.perf_counter() - t0, time.process_time() - c0, km.n_iter_,
                         km.inertia_))
    dt, cpu, rounds, inertia = sorted(fits)[len(fits) // 2]
    # On a shared machine the CPU time (one thread) compares with the bench's s_per_round.
    print("scikit-learn Lloyd, %d rows: rounds %d, %.3f ms per round (median of 5 fits; CPU "
          "%.3f ms), %.3f ms total, sum of squares %.6f"
          % (rows, rounds, 1e3 * dt / rounds, 1e3 * cpu / rounds, 1e3 * dt, inertia))


if __name__ == "__main__":
    main()
