#!/usr/bin/env python3
"""Copies the Windows stand-in server with a build's signature written into the file.

The stand-in writes the signature of the build it plays into its host image when it
starts; its file holds none. A program that reads a server executable without running
it (the operator's build check) needs one that holds it, as a real server does: this
copy holds the stand-in's own signature (standin/image/host_layout.h) at a build's
address in the host image section's file bytes. The server behaves the same as ever:
it fills the image anew at start-up, for the build that --build names.

  signature_in_file.py LAYOUT_HEADER IN_EXE OUT_EXE (BUILD|0xADDRESS)

BUILD is a build the header names (Signature_Build_N); 0xADDRESS any other place.
"""

import re
import shutil
import struct
import sys


def layout(header_path):
    with open(header_path, encoding="utf-8") as f:
        text = f.read()
    block = re.search(r"Build_Signature\[Signature_Length\] = \{([^}]*)\}", text)
    signature = bytes(int(byte, 16) for byte in re.findall(r"0x[0-9A-Fa-f]{2}", block.group(1)))
    addresses = {build: int(at, 16) for build, at in
                 re.findall(r"Signature_Build_([0-9]+) = (0x[0-9A-Fa-f]+);", text)}
    if len(signature) != 19 or not addresses:
        sys.exit(f"{header_path}: no signature and no build address found")
    return signature, addresses


def file_offset(image, address):
    """Where the byte at virtual address `address` lies in the file, through the
    section table; an error if no section's file bytes hold it."""
    pe_at = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<xxHxxxxxxxxxxxxH", image, pe_at + 4)
    base = struct.unpack_from("<I", image, pe_at + 24 + 28)[0]
    table = pe_at + 24 + optional_size
    for i in range(sections):
        virtual_size, virtual_at, raw_size, raw_at = struct.unpack_from(
            "<IIII", image, table + 40 * i + 8)
        into = address - base - virtual_at
        if 0 <= into and into + 19 <= min(virtual_size, raw_size):
            return raw_at + into
    sys.exit(f"no section of the stand-in holds 0x{address:X} in its file bytes")


def main(header_path, source, target, where):
    signature, addresses = layout(header_path)
    if where.lower().startswith("0x"):
        address = int(where, 16)
    elif where in addresses:
        address = addresses[where]
    else:
        sys.exit(f"{header_path}: no build {where} (it names {', '.join(sorted(addresses))})")
    with open(source, "rb") as f:
        image = bytearray(f.read())
    at = file_offset(image, address)
    image[at:at + len(signature)] = signature
    with open(target + ".part", "wb") as f:
        f.write(image)
    shutil.copymode(source, target + ".part")
    shutil.move(target + ".part", target)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
