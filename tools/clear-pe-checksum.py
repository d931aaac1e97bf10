#!/usr/bin/env python3
"""Sets the optional-header CheckSum of a PE image to 0, in place.

mingw's linker always writes a CheckSum and has no option to leave it out.
The stub's must be 0: a signed installer's package checksum counts this
field as the 0 it held when the package was written, and the signer
rewrites it. With the timestamp left out as well, two builds of the same
sources give the same bytes.
    clear-pe-checksum.py IMAGE
"""
import struct
import sys


def main(path):
    with open(path, "r+b") as image:
        dos = image.read(64)
        if len(dos) < 64 or dos[:2] != b"MZ":
            sys.exit(f"{path}: not a PE image (no MZ header)")
        pe_offset = struct.unpack_from("<I", dos, 0x3C)[0]
        image.seek(pe_offset)
        if image.read(4) != b"PE\0\0":
            sys.exit(f"{path}: not a PE image (no PE signature)")
        # Signature (4), file header (20), then CheckSum at 64 into the
        # optional header, for PE32 and PE32+ alike.
        image.seek(pe_offset + 24 + 64)
        image.write(b"\0\0\0\0")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: clear-pe-checksum.py IMAGE")
    main(sys.argv[1])
