#!/usr/bin/env python3
"""Writes the seven plug-in board definitions shipped with the instrument library.

Each board file is an INI text: a section "PLG" with the board's "Name",
"Ridev" (its bank count) and one bank per numbered key, either symbolic
("USER", "PRE1".."PRE3", which every slot maps to its own bank numbers) or
direct ("36,00,036/000": MSB and LSB of two decimal digits each, then the
bank's name); then one section of voice names per bank that has names, titled
like the bank ("PRE1", "036/000"), with "Ridev" (the bank's voice count) and
keys 0..Ridev-1. A key left out is a voice without a name.

The banks and counts are those each board calls for. The voice names are
placeholders, deterministic and visibly synthetic ("Ld:AN P1 001": category,
board code, bank tag, number). Plain ASCII with CR LF line ends.

Usage: gen_plg_boards.py [folder]   (default: resources/vesk/plg beside this
script's repository)
"""

import os
import sys

CATEGORIES = ["Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp",
              "Ld", "Pd", "Sc", "Cp", "Dr", "Se", "Me", "Co"]

# A bank: (entry of section PLG, voice count or None for no section, keys left
# unnamed: "all" or a set of keys).
BOARDS = [
    ("AN", [("USER", 64, "all"), ("PRE1", 64, ()),
            ("36,00,036/000", 128, ()), ("36,01,036/001", 128, ()),
            ("36,02,036/002", None, ())]),
    ("AP", [("USER", 64, "all"), ("PRE1", 64, ()), ("32,01,032/001", 64, ())]),
    ("DR", [("USER", 64, "all"), ("PRE1", 64, ()),
            ("47,00,047/000", 8, "all"), ("79,00,079/000", 80, ())]),
    ("DX", [("USER", 64, "all"), ("PRE1", 64, ()), ("35,00,035/000", 64, "all"),
            ("35,01,035/001", 128, ()), ("35,02,035/002", 64, ())]),
    # One slot of 079/001 has no voice.
    ("PC", [("USER", 64, "all"), ("PRE1", 64, ()), ("79,01,079/001", 80, {40})]),
    ("PF", [("USER", 64, "all"), ("PRE1", 64, ()), ("32,00,032/000", 128, ())]),
    ("VL", [("USER", 64, "all"), ("PRE1", 64, ()), ("PRE2", 64, ()), ("PRE3", 64, ()),
            ("33,00,033/000", 128, ()), ("33,01,033/001", 128, ()),
            ("33,02,033/002", 6, ()), ("33,03,033/003", 64, ())]),
]


def section_of(entry):
    """The title of a bank's name section: a direct bank's name, else the entry."""
    comma = entry.find(",")
    return entry[6:] if comma > 0 else entry


def bank_tags(banks):
    """Short tags of the banks for the placeholder names: P1..P3 for the preset
    banks, B1, B2... for the direct banks in order."""
    tags = {}
    direct = 0
    for entry, _, _ in banks:
        if entry.startswith("PRE"):
            tags[entry] = "P" + entry[3:]
        elif "," in entry:
            direct += 1
            tags[entry] = "B%d" % direct
    return tags


def voice_name(code, tag, number):
    category = CATEGORIES[number % len(CATEGORIES)]
    name = "%s %s %03d" % (code, tag, number + 1)
    assert len(name) <= 10
    return "%s:%s" % (category, name)


def render(code, banks):
    lines = ["; VER150-%s board definition; the voice names are placeholders" % code, ""]
    lines.append("[PLG]")
    lines.append("Name=VER150-%s" % code)
    lines.append("Ridev=%d" % len(banks))
    for i, (entry, _, _) in enumerate(banks):
        lines.append("%d=%s" % (i, entry))
    tags = bank_tags(banks)
    for entry, count, unnamed in banks:
        if count is None:
            continue
        lines.append("")
        lines.append("[%s]" % section_of(entry))
        lines.append("Ridev=%d" % count)
        if unnamed == "all":
            continue
        for j in range(count):
            if j not in unnamed:
                lines.append("%d=%s" % (j, voice_name(code, tags[entry], j)))
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    if len(argv) == 2:
        folder = argv[1]
    else:
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        folder = os.path.join(root, "resources", "vesk", "plg")
    os.makedirs(folder, exist_ok=True)
    for code, banks in BOARDS:
        out = os.path.join(folder, "VER150-%s.ini" % code)
        tmp = out + ".tmp"
        with open(tmp, "wb") as f:
            f.write(render(code, banks))
        os.replace(tmp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
