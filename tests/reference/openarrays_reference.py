#!/usr/bin/python3
"""Reference values for the array routine tests, computed with NumPy.

Writes openarrays_reference.txt, one case per line:
  kind elem rank dims... nparams params... ndata data... nexpected expected...
Data are in C order (last subscript fastest). Doubles are written with repr(), which reads
back to the same bits.

kinds:
  mean    params lo..., hi...     expected: the mean, summed sequentially in the box order
                                   (rank 3: axis 2, 0, 1; rank 4: axis 3, 2, 0, 1)
  std     params lo..., hi...     expected: numpy.std(ddof=1) of the box
  count   params lo..., hi..., lowest, highest   expected: cells in [lowest, highest]
  clone   (Double -> Integer)     expected: numpy.rint of the clipped cells
  flip    params dim              expected: numpy.flip along that axis, C order
"""
import numpy as np

rng = np.random.default_rng(20240517)
lines = []


def fmt(v, elem):
    return repr(float(v)) if elem == "d" else str(int(v))


def emit(kind, elem, a, params, expected):
    toks = [kind, elem, str(a.ndim)] + [str(d) for d in a.shape]
    toks += [str(len(params))] + [repr(p) if isinstance(p, float) else str(int(p)) for p in params]
    flat = a.ravel()
    toks += [str(flat.size)] + [fmt(v, elem) for v in flat]
    kinds = {"mean": "d", "std": "d", "flip": elem}
    toks += [str(len(expected))] + [fmt(v, kinds.get(kind, "i")) for v in expected]
    lines.append(" ".join(toks))


def random_array(elem, shape):
    if elem == "d":
        scale = 10.0 ** rng.integers(-3, 6)
        return rng.normal(loc=rng.normal() * scale, scale=scale, size=shape)
    return rng.integers(-2**31, 2**31, size=shape, dtype=np.int64).astype(np.int32)


def random_box(shape):
    lo, hi = [], []
    for n in shape:
        a, b = sorted(rng.integers(0, n, size=2))
        lo.append(int(a))
        hi.append(int(b))
    return lo, hi


def stats_order(box):
    r = box.ndim
    if r == 3:
        box = np.transpose(box, (2, 0, 1))
    elif r == 4:
        box = np.transpose(box, (3, 2, 0, 1))
    return box.ravel().astype(np.float64)


shapes = [(17,), (5, 7), (4, 5, 6), (3, 4, 3, 5)]
for elem in ("d", "i"):
    for shape in shapes:
        for _ in range(4):
            a = random_array(elem, shape)
            lo, hi = random_box(shape)
            sl = tuple(slice(l, h + 1) for l, h in zip(lo, hi))
            box = a[sl]
            seq = stats_order(box)
            mean = np.cumsum(seq)[-1] / seq.size
            emit("mean", elem, a, lo + hi, [mean])
            std = np.std(seq, ddof=1) if seq.size > 1 else 0.0
            emit("std", elem, a, lo + hi, [std])
            if elem == "d":
                lowest, highest = sorted(float(v) for v in rng.choice(box.ravel(), size=2))
            else:
                lowest, highest = sorted(int(v) for v in rng.choice(box.ravel(), size=2))
            count = np.count_nonzero((box >= lowest) & (box <= highest))
            emit("count", elem, a, lo + hi + [lowest, highest], [count])

clone_in = np.array([0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 2.4999999999999996, 1e10, -1e10,
                     2147483646.5, 2147483647.0, -2147483648.0, -2147483648.5, 3.7, -3.7,
                     1e-300, -0.0, 123456.5])
for shape in [(18,), (3, 6), (3, 2, 3), (2, 3, 1, 3)]:
    a = clone_in.reshape(shape)
    expected = np.rint(np.clip(a, -2147483648.0, 2147483647.0)).astype(np.int64)
    emit("clone", "d", a, [], expected.ravel())

for elem in ("d", "i"):
    for shape in shapes:
        a = random_array(elem, shape)
        for dim in range(1, len(shape) + 1):
            emit("flip", elem, a, [dim], np.flip(a, axis=dim - 1).ravel())

with open("openarrays_reference.txt", "w") as f:
    f.write("\n".join(lines) + "\n")
