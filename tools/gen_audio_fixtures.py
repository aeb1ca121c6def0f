#!/usr/bin/env python3
"""Writes the small WAV and AIFF files the audio tests read.

    gen_audio_fixtures.py OUTDIR

The files carry what the sound tools do not write themselves: sampler loops
and instrument zones ("smpl", "inst", "MARK", "INST"), the odd sizes and
widths that test the readers' edges (odd frame counts with their pad byte,
12- and 20-bit AIFF samples), and an AIFC file. The committed copies live in
tests/audio/fixtures; a test runs this script again and compares.
"""
import os
import struct
import sys


# Chunks are (tag, body) pairs; the containers add the size (little-endian
# in RIFF, big-endian in FORM) and the pad byte of an odd size.
def riff(form, chunks):
    out = b""
    for tag, body in chunks:
        out += tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")
    return b"RIFF" + struct.pack("<I", 4 + len(out)) + form + out


def form(kind, chunks):
    out = b""
    for tag, body in chunks:
        out += tag + struct.pack(">I", len(body)) + body + (b"\0" if len(body) % 2 else b"")
    return b"FORM" + struct.pack(">I", 4 + len(out)) + kind + out


def ramp(frames, channels, lo, hi):
    """Points stepping through [lo, hi] differently in each channel, so that
    a swapped channel or a shifted frame shows."""
    span = hi - lo + 1
    points = []
    for f in range(frames):
        for c in range(channels):
            points.append(lo + (f * (37 + 54 * c) + 11 * c) % span)
    return points


def le(points, width, unsigned8=False):
    out = bytearray()
    for p in points:
        if width == 1 and unsigned8:
            out.append(p + 128)
        else:
            out += (p & ((1 << 8 * width) - 1)).to_bytes(width, "little")
    return bytes(out)


def be(points, width, shift=0):
    """Big-endian two's complement, each point shifted left by shift bits:
    12- and 20-bit samples are left-justified in their bytes."""
    out = bytearray()
    for p in points:
        out += ((p << shift) & ((1 << 8 * width) - 1)).to_bytes(width, "big")
    return bytes(out)


def float80(value):
    """An 80-bit IEEE extended number of a positive integer rate."""
    value = int(value)
    exponent = value.bit_length() - 1
    mantissa = value << (63 - exponent)
    return struct.pack(">HQ", 16383 + exponent, mantissa)


def fmt(channels, rate, bits, tag=1):
    width = (bits + 7) // 8
    return b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * channels * width, channels * width, bits)


def comm(channels, frames, bits, rate):
    return b"COMM", struct.pack(">hIh", channels, frames, bits) + float80(rate)


def ssnd(data, offset=0):
    return b"SSND", struct.pack(">II", offset, 0) + b"\xEE" * offset + data


def pstring(text):
    s = bytes([len(text)]) + text
    return s + (b"\0" if len(s) % 2 else b"")


def mark(markers):
    body = struct.pack(">H", len(markers))
    for ident, position, name in markers:
        body += struct.pack(">HI", ident, position) + pstring(name)
    return b"MARK", body


def inst(base, low, high, vlow, vhigh, sustain, release=(0, 0, 0), detune=0, gain=0):
    body = struct.pack(">BbBBBBh", base, detune, low, high, vlow, vhigh, gain)
    body += struct.pack(">hHH", *sustain) + struct.pack(">hHH", *release)
    return b"INST", body


def smpl(unity_note, loops):
    body = struct.pack("<9I", 0, 0, 45351, unity_note, 0, 0, 0, len(loops), 0)
    for loop in loops:
        body += struct.pack("<6I", *loop)
    return b"smpl", body


def inst_wav(note, fine, gain, low, high, vlow, vhigh):
    return b"inst", struct.pack("<BbbBBBB", note, fine, gain, low, high, vlow, vhigh)


def fixtures():
    files = {}

    # A WAV zone: two sampler loops (the first is the one a sample keeps) and
    # an instrument chunk. The smpl unity note differs from the inst note.
    pts = ramp(64, 1, -30000, 30000)
    files["zone.wav"] = riff(b"WAVE", [
        fmt(1, 22050, 16),
        (b"data", le(pts, 2)),
        smpl(72, [(1, 0, 8, 40, 0, 0), (2, 1, 16, 32, 0, 3)]),
        inst_wav(67, -5, 3, 36, 48, 10, 100),
    ])

    # An AIFF zone: markers (one id twice: the first counts), then a sustain
    # loop forward and backward between markers 1 and 2.
    pts = ramp(100, 2, -32768, 32767)
    files["zone.aiff"] = form(b"AIFF", [
        comm(2, 100, 16, 32000),
        ssnd(be(pts, 2)),
        (b"ID3 ", b"TAG"),  # odd-sized and unknown: skipped with its pad byte
        mark([(1, 10, b"start"), (2, 90, b"end"), (1, 50, b"again")]),
        inst(62, 40, 70, 5, 120, (2, 1, 2), release=(1, 2, 1)),
    ])

    # INST before MARK: the loop's markers are not known yet.
    files["inst-first.aiff"] = form(b"AIFF", [
        comm(1, 20, 8, 8000),
        inst(60, 0, 127, 0, 127, (1, 1, 2)),
        mark([(1, 4, b"a"), (2, 16, b"b")]),
        ssnd(be(ramp(20, 1, -128, 127), 1)),
    ])

    # The sound before its format, and an SSND offset that skips four bytes.
    pts = ramp(33, 2, -8388608, 8388607)
    files["sound-first.aiff"] = form(b"AIFF", [
        ssnd(be(pts, 3), offset=4),
        comm(2, 33, 24, 48000),
    ])

    # 12-bit mono and 20-bit stereo samples, left-justified in 2 and 3 bytes.
    files["12bit.aiff"] = form(b"AIFF", [
        comm(1, 41, 12, 11025),
        ssnd(be(ramp(41, 1, -2048, 2047), 2, shift=4)),
    ])
    files["20bit.aiff"] = form(b"AIFF", [
        comm(2, 21, 20, 96000),
        ssnd(be(ramp(21, 2, -524288, 524287), 3, shift=4)),
    ])

    # Odd data sizes: 8-bit mono with 7 frames and 24-bit mono with 5 frames,
    # each followed by its pad byte.
    files["odd8.wav"] = riff(b"WAVE", [fmt(1, 8000, 8), (b"data", le(ramp(7, 1, -128, 127), 1, True))])
    files["odd24.wav"] = riff(b"WAVE", [fmt(1, 44100, 24), (b"data", le(ramp(5, 1, -8388608, 8388607), 3))])

    # An uncompressed AIFC file: its COMM names a compression type.
    body = struct.pack(">hIh", 1, 4, 16) + float80(44100) + b"NONE" + pstring(b"not compressed")
    files["plain.aifc"] = form(b"AIFC", [
        (b"FVER", struct.pack(">I", 0xA2805140)),
        (b"COMM", body),
        ssnd(be([1, 2, 3, 4], 2)),
    ])
    return files


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in sorted(fixtures().items()):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
