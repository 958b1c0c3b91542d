#!/usr/bin/env python3
"""Recomputes the examples' expected output with NumPy, SciPy and scikit-learn.

Run from the repository root: python3 examples/reference/verify.py
Each example's text is rebuilt in the example's own format from independent computations and
compared with examples/expected/<name>.txt; the Lilliefors critical value and p-value, for
which no peer routine exists here, are checked against a simulation and the published
Dallal-Wilkinson formula instead of by text.
"""
import csv
import pathlib
import sys

import numpy as np
from scipy import stats
from scipy.cluster.hierarchy import fcluster, linkage
from sklearn.cluster import KMeans

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXPECTED = ROOT / "examples" / "expected"


def iris():
    path = pathlib.Path("/work/shared/data/iris.csv")
    if not path.exists():  # fall back to the numbers embedded in the examples
        import re
        text = (ROOT / "examples" / "iris_data.hpp").read_text()
        rows = re.findall(r"\{([\d.]+), ([\d.]+), ([\d.]+), ([\d.]+)\}", text)
        return np.array(rows, dtype=float)
    with path.open() as f:
        return np.array([r[:4] for r in list(csv.reader(f))[1:]], dtype=float)


def demo():
    x = iris()
    km = KMeans(n_clusters=3, init=x[:3], n_init=1, algorithm="lloyd", tol=0.0, max_iter=1000)
    km.fit(x)
    order = np.argsort(-np.bincount(km.labels_), kind="stable")
    out = ["cluster  size  sepal_len  sepal_wid  petal_len  petal_wid"]
    for new, old in enumerate(order, 1):
        c = km.cluster_centers_[old]
        out.append(f"{new:7d}  {np.sum(km.labels_ == old):4d}" + "".join(f"  {v:9.4f}" for v in c))
    out += ["", f"within-cluster sum of squares: {km.inertia_:.4f}"]
    # Both count the final round, in which no row moves.
    out.append(f"rounds: {km.n_iter_}")
    out += ["", "species per cluster:"]
    for new, old in enumerate(order, 1):
        counts = [np.sum(km.labels_[s * 50:(s + 1) * 50] == old) for s in range(3)]
        out.append(f"  cluster {new}: setosa {counts[0]} versicolor {counts[1]} "
                   f"virginica {counts[2]}")
    return out


def newcomb():
    return np.loadtxt(ROOT / "examples" / "data" / "newcomb.txt")


def statistics():
    x = newcomb()
    n = len(x)
    q = np.percentile(x, [25, 50, 75], method="weibull")  # positions (n + 1)p
    out = [f"values              {n}", f"mean                {x.mean():.4f}",
           f"standard deviation  {x.std(ddof=1):.4f}",
           f"minimum, maximum    {x.min():.4f}  {x.max():.4f}",
           f"quartiles           {q[0]:.4f}  {q[1]:.4f}  {q[2]:.4f}",
           f"skewness, kurtosis  {stats.skew(x, bias=False):.4f}  "
           f"{stats.kurtosis(x, bias=False):.4f}"]
    z = (x - x.mean()) / x.std(ddof=1)
    d = stats.kstest(z, "norm").statistic
    out += ["", f"Lilliefors D       {d:.4f}"]
    # Critical value by simulation: D of standardised normal samples of the same size.
    rng = np.random.default_rng(1)
    sims = rng.standard_normal((20000, n))
    sims = (sims - sims.mean(1, keepdims=True)) / sims.std(1, ddof=1, keepdims=True)
    sims.sort(1)
    cdf = stats.norm.cdf(sims)
    i = np.arange(1, n + 1)
    dsim = np.maximum((i / n - cdf).max(1), (cdf - (i - 1) / n).max(1))
    critical = np.quantile(dsim, 0.95)
    # Dallal and Wilkinson (1986), as published.
    p = np.exp(-7.01256 * d * d * (n + 2.78019) + 2.99587 * d * np.sqrt(n + 2.78019)
               - 0.122119 + 0.974598 / np.sqrt(n) + 1.67997 / n)
    checks = {"critical D (5%)": (critical, 0.002), "p-value": (p, 0.01 * p)}
    out += [f"critical D (5%)    {critical:.4f}", f"p-value            {p:.2e}",
            f"normal at 5%       {'rejected' if d > critical else 'not rejected'}"]
    return out, checks


def outliers():
    x = list(newcomb())
    out = ["   n       G  critical  outlier"]
    while True:
        a = np.array(x)
        n = len(a)
        dev = np.abs(a - a.mean()) / a.std(ddof=1)
        g, i = dev.max(), int(dev.argmax())
        t = stats.t.ppf(1 - 0.05 / (2 * n), n - 2)
        crit = (n - 1) / np.sqrt(n) * np.sqrt(t * t / (n - 2 + t * t))
        line = f"{n:4d}  {g:6.4f}    {crit:6.4f}"
        if g <= crit:
            out.append(line + "  none")
            return out
        out.append(line + f"  {a[i]:g} (value {i + 1})")
        del x[i]


CARS_SPEED = [4, 4, 7, 7, 8, 9, 10, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14,
              14, 15, 15, 15, 16, 16, 17, 17, 17, 18, 18, 18, 18, 19, 19, 19, 20, 20, 20, 20, 20,
              22, 23, 24, 24, 24, 24, 25]
CARS_DIST = [2, 10, 4, 22, 16, 10, 18, 26, 34, 17, 28, 14, 20, 24, 28, 26, 34, 34, 46, 26, 36,
             60, 80, 20, 26, 54, 32, 40, 32, 40, 50, 42, 56, 76, 84, 36, 46, 68, 32, 48, 52, 56,
             64, 66, 54, 70, 92, 93, 120, 85]


def curve_fit():
    v, d = np.array(CARS_SPEED, float), np.array(CARS_DIST, float)
    lin = stats.linregress(v, d)
    x = np.vander(v, 3, increasing=True)
    coef, res, _, _ = np.linalg.lstsq(x, d, rcond=None)
    dof = len(d) - 3
    sigma2 = res[0] / dof
    se = np.sqrt(np.diag(sigma2 * np.linalg.inv(x.T @ x)))
    alpha = 2 * stats.t.sf(np.abs(coef / se), dof)
    r2 = 1 - res[0] / np.sum((d - d.mean()) ** 2)
    out = [f"line      dist = {lin.intercept:.4f} + {lin.slope:.4f} speed   "
           f"(r2 {lin.rvalue ** 2:.4f})",
           f"parabola  dist = {coef[0]:.4f} + {coef[1]:.4f} speed + {coef[2]:.5f} speed^2   "
           f"(r2 {r2:.4f})",
           "significance of the coefficients: " + " ".join(f"{a:.4f}" for a in alpha), "",
           "speed  line  parabola"]
    for s in (5.0, 15.0, 25.0, 30.0):
        out.append(f"{s:5.0f}  {lin.intercept + lin.slope * s:5.1f}  "
                   f"{coef[0] + coef[1] * s + coef[2] * s * s:8.1f}")
    return out


def fourier():
    n, dt = 1024, 0.001
    t = np.arange(n) * dt
    x = np.sin(2 * np.pi * 50 * t) + 0.5 * np.sin(2 * np.pi * 120 * t)
    i = np.arange(1, n + 1)  # the Hamming weights are centred on sample n/2
    w = 0.543478261 + 0.456521739 * np.cos(2 * np.pi * (i - n / 2) / n)
    mag = 2 * np.abs(np.fft.fft(x * w)) / n  # a real signal's line k joins bins k and n - k
    mag = mag[: n // 2 + 1]
    mag[n // 2] /= 2
    floor = 0.1 * mag[1:].max()
    out = ["line  frequency/Hz  magnitude"]
    for k in range(1, n // 2):
        if mag[k] > floor and mag[k] > mag[k - 1] and mag[k] > mag[k + 1]:
            out.append(f"{k:4d}  {k / dt / n:12.3f}  {mag[k]:9.4f}")
    out += ["", f"line spacing {1 / dt / n:.4f} Hz; line of 120 Hz: {round(120 * n * dt)}"]
    return out


def pca():
    x = iris()
    ev, vec = np.linalg.eigh(np.cov(x.T))
    order = np.argsort(-ev)
    out = ["component  eigenvalue  share   sepal_len  sepal_wid  petal_len  petal_wid"]
    for c, j in enumerate(order, 1):
        v = vec[:, j]
        v = v * np.sign(v[np.argmax(np.abs(v))])
        out.append(f"{c:9d}  {ev[j]:10.4f}  {ev[j] / ev.sum():5.3f}" +
                   "".join(f"  {a + 0.0:9.4f}" for a in v))
    return out


def clustering():
    x = iris()
    z = linkage(x, "ward")
    # Ward's rule on squared distances gives the squares of SciPy's Euclidean heights.
    heights = z[-3:, 2] ** 2
    labels = fcluster(z, 3, "maxclust")
    first = []
    for lab in labels:
        if lab not in first:
            first.append(lab)
    out = ["last merges at distance: " + " ".join(f"{h:.4f}" for h in heights), "",
           "cluster  size  setosa  versicolor  virginica"]
    for k, lab in enumerate(first, 1):
        c = [int(np.sum(labels[s * 50:(s + 1) * 50] == lab)) for s in range(3)]
        out.append(f"{k:7d}  {sum(c):4d}  {c[0]:6d}  {c[1]:10d}  {c[2]:9d}")
    return out


def main():
    failed = False
    for name, build in [("nuv_demo", demo), ("statistics", statistics), ("outliers", outliers),
                        ("curve_fit", curve_fit), ("fourier", fourier), ("pca", pca),
                        ("clustering", clustering)]:
        differs = False
        result = build()
        checks = {}
        if isinstance(result, tuple):
            result, checks = result
        want = (EXPECTED / f"{name}.txt").read_text().splitlines()
        for ours, theirs in zip(want, result):
            label = next((k for k in checks if ours.startswith(k)), None)
            if label is not None:
                value, tol = checks[label]
                got = float(ours.split()[-1])
                ok = abs(got - value) <= tol
            else:
                ok = ours == theirs
            if not ok:
                differs = True
                print(f"{name}: expected file has\n  {ours}\nreference gives\n  {theirs}")
        if len(want) != len(result):
            differs = True
            print(f"{name}: {len(want)} lines in the expected file, {len(result)} computed")
        print(f"{name}: {'differs' if differs else 'matches'}")
        failed = failed or differs
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
