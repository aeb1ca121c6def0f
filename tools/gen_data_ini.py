#!/usr/bin/env python3
"""Writes the generic data resource that every device loads before its own.

Five tables of 128 entries each, one line per MIDI data value, so a line's key
is also its value: bank numbers, program numbers (counted from 1), an "off"
or number list, pan positions and note names. The output is plain ASCII with
CR LF line ends.

Usage: gen_data_ini.py [output]   (default: resources/orvane/data/data.ini
beside this script's repository)
"""

import os
import sys

NOTES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def bank_no(i):
    return "%03d" % i


def program_no(i):
    return "%03d" % (i + 1)


def off127(i):
    return "off" if i == 0 else str(i)


def pan(i):
    if i < 64:
        return "L%d" % (64 - i)
    if i == 64:
        return "C"
    return "R%d" % (i - 64)


def note_name(i):
    name = NOTES[i % 12]
    octave = i // 12 - 2
    # A blank separates name and octave, except that a sharp runs straight
    # into a negative octave: "C -2", "C#-2", "C 0", "C# 0".
    blank = "" if (name.endswith("#") and octave < 0) else " "
    return "%s%s%d" % (name, blank, octave)


SECTIONS = [
    ("BankNo", bank_no),
    ("ProgramNo", program_no),
    ("off127", off127),
    ("PAN", pan),
    ("NOTENAME", note_name),
]


def render():
    lines = ["", "; GENERIC DATA", ""]
    for n, (title, text) in enumerate(SECTIONS):
        if n:
            lines.append("")
        lines.append("[%s]" % title)
        lines.append("Size=1")
        lines.append("Ridev=128")
        for i in range(128):
            entry = text(i)
            assert "," not in entry and "|" not in entry
            lines.append("%d=%s" % (i, entry))
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    if len(argv) == 2:
        out = argv[1]
    else:
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        out = os.path.join(root, "resources", "orvane", "data", "data.ini")
    data = render()
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
