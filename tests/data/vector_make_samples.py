#!/usr/bin/python3
"""Writes the malformed vector samples of this folder (run from tests/data)."""
import struct

def d(*xs):
    return b"".join(struct.pack("<d", x) for x in xs)

def i(*xs):
    return b"".join(struct.pack("<i", x) for x in xs)

samples = {
    # Binary streams of TVector: floating items.
    "vector_stream_truncated.bin": d(1, 3, 1.5, 2.5),            # third value missing
    "vector_stream_huge_hi.bin": d(1, 2147483647, 4.0),          # absurd high index
    "vector_stream_nan_index.bin": d(float("nan"), 3, 1, 2, 3),  # index not a number
    "vector_stream_index_1e10.bin": d(1, 1e10, 1),               # index beyond 32 bits
    "vector_stream_gap.bin": d(1000000, 1000001, 1, 2),          # stretch far past the end
    "vector_stream_short_header.bin": d(1)[:5],                  # header cut inside an item
    # Binary stream of TIntVector: 32-bit items.
    "vector_int_stream_truncated.bin": i(1, 4, 7, 8),
    # Text files.
    "vector_bad_value.txt": b"1 3\n1.5\nabc\n3.5\n",
    "vector_bad_header.txt": b"1.0 3\n1\n2\n3\n",
    "vector_huge_header.txt": b"1 2000000000\n1\n2\n",
    "vector_truncated.txt": b"1 5\n1\n2\n",
    "vector_negative_low.txt": b"-3 2\n10\n11\n12\n13\n14\n15\n",
    "vector_empty.txt": b"",
    "vector_garbage.txt": bytes(range(256)) * 4,
    "vector_long_token.txt": b"1 3\n" + b"9" * 5000 + b"\n2\n3\n",
    "vector_crlf_nonfinite.txt": b"1 5\r\nNaN\r\n+inf\r\n-Inf\r\n+2.5\r\n-0\r\n",
    "vector_autodetect.txt": b"1.5\n\n2.5\n  3.5  \r\n\n4.5\n5.5",
    # Lines are counted, tokens are read: the text line costs three elements their values.
    "vector_autodetect_text.txt": b"1.5\nno digits here\n2.5\n3.5\n",
    "vector_int_values.txt": b"1 5\n2.5\n3.5\n1e20\n-7.0\nnan\n",
}
for name, data in samples.items():
    with open(name, "wb") as f:
        f.write(data)
