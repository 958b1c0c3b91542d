#!/usr/bin/python3
"""Writes the malformed paged binary files of TMat4D in this folder (run from tests/data)."""
import struct

REC = 4096


def header(x, y, z, slots, ident=b""):
    h = struct.pack("<iiiiB", x, y, z, slots, len(ident)) + ident
    return h + bytes(REC - len(h))


def page(values):
    data = b"".join(struct.pack("<d", v) for v in values)
    return data + bytes(REC - len(data))


samples = {
    # Cut inside the header record.
    "mat4d_short_header.bin": header(2, 2, 1, 1)[:100],
    # 4x4x4x10 = 640 values need two data records; only the first is there.
    "mat4d_truncated.bin": header(4, 4, 4, 10, b"cut") + page(range(512)),
    # 2^31 - 1 columns and rows: about 2^62 values claimed by a file of two records.
    "mat4d_huge_dims.bin": header(2147483647, 2147483647, 1, 1) + page([]),
    # 10^9 cells per slot, 2 slots: within the format's limit, about 16 GB of values claimed.
    "mat4d_claims_16gb.bin": header(1000, 1000, 1000, 2) + page([1.5]),
    # Negative column count and negative slot count.
    "mat4d_negative_cols.bin": header(-3, 2, 1, 1) + page([]),
    "mat4d_negative_slots.bin": header(1, 1, 1, -1) + page([]),
    # A 1x1x1 file whose 32-bit slot count is already the largest it can hold.
    "mat4d_full.bin": header(1, 1, 1, 2147483647) + page([]),
    # A valid header with no data record at all.
    "mat4d_header_only.bin": header(1, 1, 1, 1, b"id"),
}

for name, data in samples.items():
    with open(name, "wb") as f:
        f.write(data)
