#!/usr/bin/python3
"""Reference coefficients for the recursive Chebyshev and Butterworth filter tests.

Run with /usr/bin/python3 (Debian's NumPy and SciPy); writes kernel_reference.txt beside itself.
The library's design fixes the -3 dB point at the cut-off Fc (fraction of the sampling rate)
and scales for unit gain in the pass band (frequency 0 for low pass, 0.5 for high pass), with
the ripple PR given in percent. scipy.signal.cheby1 takes the edge of the ripple band instead,
so the edge is moved by the factor cosh(acosh(1/eps)/n) on the prewarped axis, and its
numerator is rescaled to the same pass-band gain. Ripple 0 is the Butterworth design.
Each record is one line "cheb NPoles HighPass Fc PR", a line of a(0..NPoles) and a line of
b(1..NPoles) in the form y[n] = sum a(i) x[n-i] + sum b(i) y[n-i]; 17 significant digits.
A record "filt NPoles HighPass Fc PR L" is followed by L input values and the L values of the
zero-phase filter: the input padded with NPoles + 1 zeros on either side, filtered forwards
with lfilter and the result filtered again in reverse order.
A record "span NPoles HighPass Fc PR N first last" is followed by N input values and the values
at the positions max(first, 1) .. last of the zero-phase filter run over first .. last: with
s = NPoles + 1, the sequence s zeros, then x(1 .. last + s) (zeros past the input) is filtered
forwards with lfilter and the result filtered again in reverse order; position i is element
i + s - 1 (0-based) of that result.
"""
import math
import os

import numpy as np
from scipy import signal

CASES = [
    (2, 0, 0.1, 0.0),
    (4, 0, 0.1, 0.5),
    (4, 1, 0.1, 0.5),
    (6, 0, 0.25, 10.0),
    (8, 1, 0.35, 2.0),
    (4, 1, 0.2, 0.0),
    (10, 1, 0.05, 20.0),
    (12, 0, 0.4, 29.0),
    (20, 0, 0.2, 0.5),
]


def design(npoles, hp, fc, pr):
    btype = 'highpass' if hp else 'lowpass'
    if pr == 0:
        b, a = signal.butter(npoles, 2 * fc, btype)
    else:
        eps = math.sqrt((100 / (100 - pr)) ** 2 - 1)
        kx = math.cosh(math.acosh(1 / eps) / npoles)
        t = math.tan(math.pi * fc)
        t = t * kx if hp else t / kx
        rp = 20 * math.log10(100 / (100 - pr))
        b, a = signal.cheby1(npoles, rp, 2 * math.atan(t) / math.pi, btype)
    s = np.array([(-1) ** i if hp else 1 for i in range(npoles + 1)])
    gain = (b * s).sum() / (a * s).sum()
    return b / gain / a[0], -a[1:] / a[0]


def line(values):
    return ' '.join('%.17g' % v for v in values)


out = []
for npoles, hp, fc, pr in CASES:
    a, b = design(npoles, hp, fc, pr)
    out.append('cheb %d %d %.17g %.17g' % (npoles, hp, fc, pr))
    out.append(line(a))
    out.append(line(b))

FILTER_CASES = [(4, 0, 0.1, 0.5), (6, 1, 0.2, 5.0), (2, 0, 0.3, 0.0)]
L = 40
x = np.array([math.sin(0.3 * j) + 0.5 * math.cos(1.7 * j) + (j % 7) / 7 for j in range(1, L + 1)])
for npoles, hp, fc, pr in FILTER_CASES:
    a, b = design(npoles, hp, fc, pr)
    den = np.concatenate(([1.0], -b))
    s = npoles + 1
    z = np.concatenate((np.zeros(s), x, np.zeros(s)))
    f = signal.lfilter(a, den, z)
    g = signal.lfilter(a, den, f[::-1])[::-1]
    out.append('filt %d %d %.17g %.17g %d' % (npoles, hp, fc, pr, L))
    out.append(line(x))
    out.append(line(g[s:s + L]))

SPAN_CASES = [
    # A ramp of 300 values filtered over 1..200: the input beyond 200 is read.
    (4, 0, 0.1, 0.5, [j / 100 for j in range(1, 301)], 1, 200),
    # The same ramp over 50..200 gives the values of 1..200 there.
    (4, 0, 0.1, 0.5, [j / 100 for j in range(1, 301)], 50, 200),
    # A stretch reaching past both ends of a short input.
    (6, 1, 0.2, 5.0, list(x[:30]), -3, 45),
    (2, 0, 0.3, 0.0, list(x), 7, 12),
]
for npoles, hp, fc, pr, xs, first, last in SPAN_CASES:
    a, b = design(npoles, hp, fc, pr)
    den = np.concatenate(([1.0], -b))
    s = npoles + 1
    src = np.zeros(last + s)
    m = min(len(xs), last + s)
    src[:m] = xs[:m]
    z = np.concatenate((np.zeros(s), src))
    f = signal.lfilter(a, den, z)
    g = signal.lfilter(a, den, f[::-1])[::-1]
    out.append('span %d %d %.17g %.17g %d %d %d' % (npoles, hp, fc, pr, len(xs), first, last))
    out.append(line(xs))
    out.append(line(g[max(first, 1) + s - 1:last + s]))

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'kernel_reference.txt'),
          'w') as f:
    f.write('\n'.join(out) + '\n')
