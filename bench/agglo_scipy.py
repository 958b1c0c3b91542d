#!/usr/bin/python3
"""scipy.cluster.hierarchy.linkage on the data of cluster_bench.cpp, for comparison.

2000 rows by 8 columns; Ward and single linkage on Euclidean distances, single linkage also on
the data rounded down to integers (many equal distances) (the distance
computation included, as in AgglomClustering). Prints the median of 5 runs of each in ms and
the last merge height. Run with /usr/bin/python3; not needed by the build or the tests.
"""
import time

import numpy as np
from scipy.cluster.hierarchy import linkage

ROWS, COLS = 2000, 8


def data(whole=False):
    # The generator of cluster_bench.cpp: s := s·1664525 + 1013904223 (mod 2^32); whole rounds
    # every value down to an integer, so that many distances tie.
    x = np.empty((ROWS, COLS))
    s = 4242
    for i in range(ROWS):
        for c in range(COLS):
            s = (s * 1664525 + 1013904223) & 0xFFFFFFFF
            x[i, c] = (i % 5) * (c % 2 + 1) + (s >> 8) / 16777216.0 * 4.0
    return np.floor(x) if whole else x


def main():
    for method, whole in (("ward", False), ("single", False), ("single", True)):
        x = data(whole)
        times = []
        for _ in range(5):
            t0 = time.perf_counter()
            z = linkage(x, method=method, metric="euclidean")
            times.append(time.perf_counter() - t0)
        # Ward heights are the square roots of the Lance-Williams distances on squared ones.
        print("scipy linkage %-12s: median %.2f ms, last merge %.6f"
              % (method + (" ties" if whole else ""), 1e3 * float(np.median(times)), z[-1, 2]))


if __name__ == "__main__":
    main()
