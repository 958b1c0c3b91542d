#!/usr/bin/python3
"""Reference spectra for the TFastFourier tests, computed with NumPy.

TFastFourier's forward transform uses the kernel exp(+2*pi*i*jk/N) without scaling, which is
N * numpy.fft.ifft(x) (NumPy's fft uses the negative exponent). The window is applied here from
its closed form before the transform.

Writes fourier_reference.txt: for each case a header line "case <name> <N> <window ordinal>",
then N lines "x_re x_im X_re X_im" with 17 significant digits.

Run: /usr/bin/python3 tests/reference/fourier_reference.py (from the repository root).
"""
import os
import numpy as np

WINDOWS = {"rectangle": 0, "triangle": 1, "cos2": 2, "gauss": 3, "hamming": 4,
           "blackman": 5, "blkmharris": 6, "blkmnuttall": 7}


def weights(name, n):
    i = np.arange(1, n + 1, dtype=float)
    t = i - n / 2.0
    c = lambda k: np.cos(k * np.pi * t / n)
    if name == "rectangle":
        return np.ones(n)
    if name == "triangle":
        w = np.ones(n)
        for j in range(1, n // 2 + 1):
            w[j - 1] = 2.0 * j / n
            w[n - j] = 2.0 * j / n
        return w
    if name == "cos2":
        return c(1) ** 2
    if name == "gauss":
        return np.exp(-((6.0 * t / n) ** 2) / 2.0)
    if name == "hamming":
        return 0.543478261 + 0.45652173900000004 * c(2)
    if name == "blackman":
        return 0.42659 + 0.49656 * c(2) + 0.076848 * c(4)
    if name == "blkmharris":
        return 0.35875 + 0.48829 * c(2) + 0.14128 * c(4) + 0.01168 * c(6)
    if name == "blkmnuttall":
        return 0.3635819 + 0.4891775 * c(2) + 0.1365995 * c(4) + 0.0106411 * c(6)
    raise ValueError(name)


def cases():
    rng = np.random.default_rng(20240607)
    k = np.arange(16)
    yield ("mixed16", "rectangle",
           np.cos(2 * np.pi * 3 * k / 16) + 0.1 * k + 0.5j * np.sin(2 * np.pi * 5 * k / 16))
    yield ("random64", "rectangle", rng.normal(size=64) + 1j * rng.normal(size=64))
    k = np.arange(256)
    yield ("chirp256_hamming", "hamming",
           np.sin(2 * np.pi * (5 + 0.1 * k) * k / 256) + 0.25)
    yield ("random1024_blkmharris", "blkmharris", rng.uniform(-1, 1, size=1024) + 0j)
    yield ("random128_triangle", "triangle", rng.normal(size=128) + 1j * rng.normal(size=128))
    yield ("random128_gauss", "gauss", rng.normal(size=128) + 0j)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fourier_reference.txt")
    with open(out, "w") as f:
        for name, window, x in cases():
            n = len(x)
            spectrum = n * np.fft.ifft(x * weights(window, n))
            f.write(f"case {name} {n} {WINDOWS[window]}\n")
            for a, b in zip(x, spectrum):
                f.write(f"{a.real:.17g} {a.imag:.17g} {b.real:.17g} {b.imag:.17g}\n")


if __name__ == "__main__":
    main()
