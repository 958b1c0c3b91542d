#!/usr/bin/python3
"""Reference pyramids for the TWavelet1D tests, computed with NumPy.

A forward step on a stretch of n samples extends the stretch by L-2 samples before its start
(L = number of taps; wrapped, zeros, or mirrored: index -c-1 for c < 0, then taken modulo n),
correlates the extended signal with the low-pass and high-pass filters (numpy.correlate) and keeps
every second output: the approximation goes to the first half, the details to the second. The
inverse step scatters LP[b]*a[i] + HP[b]*d[i] to the same sample indices with numpy.add.at.
HP[L-i] = (-1)^i LP[i-1].

Writes wavelet_pyramids.txt: per case a header "case <fwd|inv> <order> <mode> <n> <level>", then
n lines "input output" with 17 significant digits. Modes: 0 wrap, 1 zero padding, 2 symmetric.

Run: /usr/bin/python3 tests/reference/wavelet_reference.py (from the repository root).
"""
import os
import numpy as np

TAPS = {
    1: [0.7071067811865476, 0.7071067811865476],
    2: [0.48296291314453416, 0.8365163037378079, 0.2241438680420134, -0.12940952255126037],
    3: [0.33267055295008263, 0.8068915093110925, 0.45987750211849154, -0.13501102001025458,
        -0.08544127388202666, 0.03522629188570953],
}


def filters(order):
    lp = np.array(TAPS[order])
    L = len(lp)
    hp = np.zeros(L)
    for i in range(1, L + 1):
        hp[L - i] = (-1) ** i * lp[i - 1]
    return lp, hp


def prefix_index(c, n, mode):
    """Sample index for a position c < 0 before the stretch, or None for a zero."""
    if mode == 1:
        return None
    if mode == 2:
        c = -c - 1
    return c % n


def forward_step(x, n, order, mode):
    lp, hp = filters(order)
    L = len(lp)
    pre = [x[prefix_index(c, n, mode)] if prefix_index(c, n, mode) is not None else 0.0
           for c in range(-(L - 2), 0)]
    ext = np.concatenate([np.array(pre, dtype=float), x[:n]])
    a = np.correlate(ext, lp, "valid")[::2][: n // 2]
    d = np.correlate(ext, hp, "valid")[::2][: n // 2]
    out = x.copy()
    out[:n] = np.concatenate([a, d])
    return out


def inverse_step(x, n, order, mode):
    lp, hp = filters(order)
    L = len(lp)
    h = n // 2
    idx, val = [], []
    for i in range(1, h + 1):
        for b in range(1, L + 1):
            c = 2 * i + b - L - 1
            if c < 0:
                k = prefix_index(c, n, mode)
                if k is None:
                    continue
            else:
                k = c
            idx.append(k)
            val.append(lp[b - 1] * x[i - 1] + hp[b - 1] * x[h + i - 1])
    s = np.zeros(n)
    np.add.at(s, np.array(idx, dtype=int), np.array(val))
    out = x.copy()
    out[:n] = s
    return out


def transform(x, order, mode, level, inverse):
    level = max(level, 1)
    n = len(x)
    y = x.copy()
    if n <= 1:
        return y
    if not inverse:
        length = n
        for _ in range(level):
            if length <= 1:
                break
            y = forward_step(y, length, order, mode)
            length //= 2
    else:
        length = 2
        for _ in range(level):
            if length > n:
                break
            y = inverse_step(y, length, order, mode)
            length *= 2
    return y


def main():
    rng = np.random.default_rng(7031)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wavelet_pyramids.txt")
    with open(out, "w") as f:
        for kind in ("fwd", "inv"):
            for order in (1, 2, 3):
                for mode in (0, 1, 2):
                    for n, level in ((64, 6), (32, 2)):
                        x = rng.normal(size=n)
                        y = transform(x, order, mode, level, kind == "inv")
                        f.write(f"case {kind} {order} {mode} {n} {level}\n")
                        for a, b in zip(x, y):
                            f.write(f"{a:.17g} {b:.17g}\n")


if __name__ == "__main__":
    main()
