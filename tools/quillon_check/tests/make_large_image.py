#!/usr/bin/env python3
"""Writes a large PE32 server image for timing quillon-check: one section of
pseudo-random bytes (seed 1) holding the build signature once, 0x5000000 bytes in, off
every probe, so the checker finds no build and scans the whole image.

  make_large_image.py OUT MEBIBYTES
"""

import random
import struct
import sys

SIGNATURE = bytes.fromhex("6A40FF74240CFF74240CE8C0FFFFFF83C40CC3")


def main(out, mebibytes):
    size = int(mebibytes) * 1024 * 1024 - 0x400
    headers = bytearray(0x400)
    pe, optional = 0x80, 0x80 + 24
    headers[0:2] = b"MZ"
    struct.pack_into("<I", headers, 0x3C, pe)
    headers[pe:pe + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", headers, pe + 4, 0x14C, 1, 0, 0, 0, 224, 0x102)
    struct.pack_into("<HxxxxxxxxxxxxxxxxxxxxxxxxxxI", headers, optional, 0x10B, 0x400000)
    struct.pack_into("<8sIIII", headers, optional + 224, b".text", size, 0x1000, size, 0x400)
    body = bytearray(random.Random(1).randbytes(size))
    at = min(0x5000000, size - len(SIGNATURE))
    body[at:at + len(SIGNATURE)] = SIGNATURE
    with open(out, "wb") as f:
        f.write(headers + body)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(*sys.argv[1:])
