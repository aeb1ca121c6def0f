#!/usr/bin/env python3
"""Writes the default voice and drum kit of the XS-family native files.

Each is a whole voice's data in the "Vesk XS" layout: a run of blocks, each a
4-byte big-endian length followed by that many bytes. Four head blocks (124,
168, 48 and 48 bytes), the element count at byte 404 (4 bytes, big-endian),
one 144-byte element per element (its length 140, big-endian, then 140 bytes),
then three tail blocks (8, 12 and 48 bytes).

Only the places the file level reads are set (table below): the name, 20
characters from byte 4, padded with blanks; categories 1 and 2 at bytes 32-35
(main, sub); the element count; and per element its length, the used flag
(+4), the wave memory (+5; 0, a preset wave, so no user waveform is named) and
the wave number (+140, 16-bit little-endian). Every other byte is 0.

Usage: gen_x0v_init.py [output folder]   (default: resources/vesk/data of
this script's repository)
"""

import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

HEAD_BLOCKS = (124, 168, 48, 48)
TAIL_BLOCKS = (8, 12, 48)
ELEMENT_SIZE = 140
NAME_OFFSET, NAME_SIZE = 4, 20
CATEGORY_OFFSET = 32
COUNT_OFFSET = 404

# file, size, name, category 1 (main, sub), category 2, elements
TABLE = [
    ("x0v_voice.bin", 1640, "Full Concert Grand", (1, 1), (0, 0), 8),
    ("x0v_drumkit.bin", 11000, "Power Standard Kit 1", (13, 1), (0, 0), 73),
]


def block(size):
    return bytearray(struct.pack(">I", size) + bytes(size))


def voice(name, category1, category2, elements):
    data = bytearray()
    for size in HEAD_BLOCKS:
        data += block(size)
    assert len(data) == COUNT_OFFSET
    data[NAME_OFFSET:NAME_OFFSET + NAME_SIZE] = name.ljust(NAME_SIZE).encode("latin-1")
    data[CATEGORY_OFFSET:CATEGORY_OFFSET + 4] = bytes(category1 + category2)
    data += struct.pack(">I", elements)
    for _ in range(elements):
        element = block(ELEMENT_SIZE)
        element[4] = 1  # used
        element[5] = 0  # preset wave memory
        element[ELEMENT_SIZE:ELEMENT_SIZE + 2] = struct.pack("<H", 0)
        data += element
    for size in TAIL_BLOCKS:
        data += block(size)
    return bytes(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "resources", "vesk", "data")
    os.makedirs(out, exist_ok=True)
    for filename, size, name, category1, category2, elements in TABLE:
        data = voice(name, category1, category2, elements)
        if len(data) != size:
            sys.exit("%s: %d bytes, not %d" % (filename, len(data), size))
        with open(os.path.join(out, filename), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
