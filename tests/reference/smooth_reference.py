#!/usr/bin/python3
"""Reference values for the smoothing and derivative filter tests.

Run with /usr/bin/python3 (Debian's NumPy and SciPy); writes smooth_reference.txt beside itself.
Every number is written with 17 significant digits.
  coeffs d w     scipy.signal.savgol_coeffs(w, 2, deriv=d, use="dot"): the weights of
                 x(i - m) .. x(i + m)
  series n       a test series of n values (one line)
  filter d p w   savgol_filter(series, w, p, deriv=d) at the interior positions m + 1 .. n - m
                 (1-based), where it is the plain least-squares fit of the window
"""
import os

import numpy as np
from scipy.signal import savgol_coeffs, savgol_filter

rng = np.random.RandomState(20241208)
out = []


def line(values):
    out.append(" ".join("%.17g" % v for v in np.ravel(values)))


for d in (0, 2):
    for w in range(5, 26, 2):
        out.append("coeffs %d %d" % (d, w))
        line(savgol_coeffs(w, 2, deriv=d, use="dot"))

n = 60
t = np.arange(n)
x = np.sin(t / 5.0) * 3.0 + 0.01 * t * t + rng.standard_normal(n) * 0.3
out.append("series %d" % n)
line(x)
# Quadratic smoothing, second derivative of the quadratic fit, slope of the straight-line fit.
for d, p in ((0, 2), (2, 2), (1, 1)):
    for w in (5, 11, 25):
        m = w // 2
        out.append("filter %d %d %d" % (d, p, w))
        line(savgol_filter(x, w, p, deriv=d)[m:n - m])

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "smooth_reference.txt"),
          "w") as f:
    f.write("\n".join(out) + "\n")
