#!/usr/bin/python3
"""Writes matrix_reference.txt: singular values and norms of the test matrices of
tests/matrix, computed with NumPy. Run from this directory: /usr/bin/python3 matrix_reference.py

Every matrix is given by an exact formula of its 1-based row r and column c, repeated in
tests/matrix/matrix_test_util.hpp, so both sides hold the same doubles."""
import numpy as np


def build(name, m, n):
    a = np.zeros((m, n))
    for r in range(1, m + 1):
        for c in range(1, n + 1):
            if name == "int5x5":
                v = ((r * 7 + c * 13) % 17 - 8) / 4.0
            elif name == "int8x5":
                v = ((r * 5 + c * 11 + r * c) % 19 - 9) / 2.0
            elif name == "hilbert6":
                v = 1.0 / (r + c - 1)
            elif name == "rank2_6x4":
                v = float((r + 1) * c + (r % 3) * (c * c % 5))
            elif name == "wide3x5":
                v = float((r * 3 + c * 5 + r * c * c) % 11 - 5)
            else:
                raise ValueError(name)
            a[r - 1, c - 1] = v
    return a


MATRICES = [("int5x5", 5, 5), ("int8x5", 8, 5), ("hilbert6", 6, 6),
            ("rank2_6x4", 6, 4), ("wide3x5", 3, 5)]

with open("matrix_reference.txt", "w") as out:
    out.write("# name rows cols | singular values (descending) | colwise rowwise frobenius spectral\n")
    for name, m, n in MATRICES:
        a = build(name, m, n)
        sv = np.linalg.svd(a, compute_uv=False)
        norms = [np.linalg.norm(a, 1), np.linalg.norm(a, np.inf), np.linalg.norm(a, "fro"),
                 np.linalg.norm(a, 2)]
        fields = [name, str(m), str(n), str(len(sv))] + ["%.17g" % x for x in sv] + \
                 ["%.17g" % x for x in norms]
        out.write(" ".join(fields) + "\n")
