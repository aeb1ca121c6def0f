#!/usr/bin/env python3
"""Writes the small instrument files the multi-sample tests read.

    gen_instrument_fixtures.py OUTDIR

OUTDIR/sf2 holds SoundFont banks: one laid out as the format asks (a global
zone, an instrument without zones, every generator a zone keeps) and one for
each damaged layout the reader must survive (no instrument table, no zone
table, no terminal generator, a sample header of rate 0 among the others,
sample points outside the pool). OUTDIR/dls holds DLS banks: a wave pool of
three formats and instruments whose regions share, miss or misname their
wave, and chunks of size zero or past the file. OUTDIR/akp holds a sampler
program with the WAV files beside it, and OUTDIR/outside.wav is the file a
zone naming "../outside" would reach.

The committed copies live in tests/audio/fixtures/instruments; a test runs
this script again and compares.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_audio_fixtures as audio  # noqa: E402


def chunk(tag, body):
    return tag + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def lst(kind, chunks):
    return chunk(b"LIST", kind + b"".join(chunks))


def riff(form, chunks):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def zstr(text, width=None):
    """A zero-terminated text, padded to width when given."""
    raw = text.encode("latin-1")
    if width is None:
        return raw + b"\0"
    return raw[:width].ljust(width, b"\0")


# --- SoundFont 2 ---------------------------------------------------------

GEN = {
    "startAddrsOffset": 0, "startloopAddrsOffset": 2, "endloopAddrsOffset": 3, "pan": 17,
    "instrument": 41, "keyRange": 43, "velRange": 44, "initialAttenuation": 48, "coarseTune": 51,
    "fineTune": 52, "sampleID": 53, "sampleModes": 54, "overridingRootKey": 58,
}


def gen(name, amount):
    if isinstance(amount, tuple):  # a range: low byte, high byte
        return struct.pack("<HBB", GEN[name], amount[0], amount[1])
    return struct.pack("<Hh", GEN[name], amount)


def ramp16(count, step):
    return [((i * step + 500) % 60000) - 30000 for i in range(count)]


class Bank:
    """A SoundFont bank: samples in one pool, instruments of zones of
    generators, and one preset over the first instrument."""

    def __init__(self, name):
        self.name = name
        self.pool = b""
        self.headers = []     # shdr records (bytes)
        self.instruments = []  # (name, [zones]); a zone is a list of gen records

    def sample(self, name, points, rate, pitch, loop, correction=0):
        """Appends the points and the 46 silent points that follow every
        sample; loop is (start, end) in points from the sample's start."""
        start = len(self.pool) // 2
        self.pool += audio.le(points, 2) + bytes(2 * 46)
        end = start + len(points)
        self.header(name, start, end, start + loop[0], start + loop[1], rate, pitch, correction)
        return len(self.headers) - 1

    def header(self, name, start, end, loop_start, loop_end, rate, pitch=60, correction=0, link=0, kind=1):
        self.headers.append(zstr(name, 20) + struct.pack("<5IBbHH", start, end, loop_start, loop_end, rate,
                                                          pitch, correction, link, kind))

    def instrument(self, name, zones):
        self.instruments.append((name, zones))

    def tables(self, terminal_gen=True, terminal_bag=True):
        inst, ibag, igen = b"", b"", b""
        bags, gens = 0, 0
        for name, zones in self.instruments:
            inst += zstr(name, 20) + struct.pack("<H", bags)
            for zone in zones:
                ibag += struct.pack("<HH", gens, 0)
                igen += b"".join(zone)
                bags += 1
                gens += len(zone)
        inst += zstr("EOI", 20) + struct.pack("<H", bags)
        if terminal_bag:
            ibag += struct.pack("<HH", gens, 0)
        if terminal_gen:
            igen += struct.pack("<HH", 0, 0)
        shdr = b"".join(self.headers) + zstr("EOS", 20) + bytes(26)
        return inst, ibag, igen, shdr

    def file(self, leave_out=(), terminal_gen=True, terminal_bag=True):
        inst, ibag, igen, shdr = self.tables(terminal_gen, terminal_bag)
        phdr = zstr("Preset", 20) + struct.pack("<HHHIII", 0, 0, 0, 0, 0, 0)
        phdr += zstr("EOP", 20) + struct.pack("<HHHIII", 0, 0, 1, 0, 0, 0)
        tables = [
            (b"phdr", phdr),
            (b"pbag", struct.pack("<HHHH", 0, 0, 1, 0)),
            (b"pmod", bytes(10)),
            (b"pgen", gen("instrument", 0) + bytes(4)),
            (b"inst", inst),
            (b"ibag", ibag),
            (b"imod", bytes(10)),
            (b"igen", igen),
            (b"shdr", shdr),
        ]
        pdta = [chunk(tag, body) for tag, body in tables if tag not in leave_out]
        return riff(b"sfbk", [
            lst(b"INFO", [chunk(b"ifil", struct.pack("<HH", 2, 1)), chunk(b"isng", zstr("EMU8000")),
                          chunk(b"INAM", zstr(self.name))]),
            lst(b"sdta", [chunk(b"smpl", self.pool)]),
            lst(b"pdta", pdta),
        ])


def sf2_files():
    files = {}

    # A bank as the format lays it out. "Piano": a global zone and two sample
    # zones setting every generator a zone keeps; "Empty" has no zones (its
    # zone index equals the next one's); "Strings": two zones.
    bank = Bank("Test Bank")
    a = bank.sample("Ramp A", ramp16(1200, 97), 22050, 57, (1000, 1150), correction=-7)
    b = bank.sample("Ramp B", ramp16(300, 211), 44100, 64, (20, 280))
    c = bank.sample("Ramp C", ramp16(64, 1013), 32000, 72, (8, 60), correction=12)
    bank.instrument("Piano", [
        [gen("pan", 400), gen("coarseTune", 5)],
        [gen("keyRange", (36, 60)), gen("velRange", (0, 100)), gen("pan", -250), gen("coarseTune", -70),
         gen("fineTune", -50), gen("startAddrsOffset", 2), gen("startloopAddrsOffset", 10),
         gen("endloopAddrsOffset", -3), gen("sampleModes", 1), gen("overridingRootKey", 55), gen("sampleID", a)],
        [gen("keyRange", (61, 127)), gen("velRange", (101, 127)), gen("pan", 250), gen("coarseTune", 12),
         gen("fineTune", 50), gen("initialAttenuation", 30), gen("sampleModes", 3), gen("sampleID", c)],
    ])
    bank.instrument("Empty", [])
    bank.instrument("Strings", [
        [gen("keyRange", (0, 59)), gen("sampleModes", 1), gen("sampleID", b)],
        [gen("keyRange", (60, 127)), gen("sampleID", c)],
    ])
    files["bank.sf2"] = bank.file()

    # The generator table ends without its terminal record: the last zone of
    # the last instrument is still a zone.
    files["no-terminal.sf2"] = bank.file(terminal_gen=False)
    # Zone and generator tables but no instrument table, and generators
    # without any zone table.
    files["no-instruments.sf2"] = bank.file(leave_out=(b"inst",))
    files["no-bags.sf2"] = bank.file(leave_out=(b"ibag",))

    # A header of rate 0 before the samples the zones name: the zones still
    # get the headers they name.
    zero = Bank("Rate Zero")
    z0 = zero.sample("First", ramp16(40, 333), 11025, 60, (0, 40))
    zero.header("Silent", 0, 40, 0, 40, 0)
    z2 = zero.sample("Second", ramp16(50, 777), 22050, 62, (5, 45))
    z3 = zero.sample("Third", ramp16(60, 555), 44100, 64, (6, 54))
    zero.instrument("Zones", [
        [gen("keyRange", (0, 40)), gen("sampleID", z0)],
        [gen("keyRange", (41, 80)), gen("sampleID", z2)],
        [gen("keyRange", (81, 127)), gen("sampleID", z3)],
        [gen("keyRange", (0, 127)), gen("sampleID", 1)],   # the header of rate 0
        [gen("keyRange", (0, 127)), gen("sampleID", 99)],  # no such header
    ])
    files["rate-zero.sf2"] = zero.file()

    # Sample points outside the pool: a start whose byte offset passes 2^32,
    # an end past the pool, an end before the start.
    points = Bank("Bad Points")
    points.sample("Good", ramp16(30, 999), 8000, 60, (2, 28))
    points.header("Huge", 0x80000001, 0x80000003, 0x80000001, 0x80000002, 8000)
    points.header("Past", 10, 100000, 10, 20, 8000)
    points.header("Backward", 20, 10, 10, 20, 8000)
    points.instrument("Points", [[gen("sampleID", i)] for i in range(4)])
    files["bad-points.sf2"] = points.file()
    return files


# --- DLS ------------------------------------------------------------------

def dls_wave(name, channels, rate, bits, points):
    width = (bits + 7) // 8
    _, fmt = audio.fmt(channels, rate, bits)
    return lst(b"wave", [chunk(b"fmt ", fmt), chunk(b"data", audio.le(points, width, unsigned8=(bits == 8))),
                         lst(b"INFO", [chunk(b"INAM", zstr(name))])])


def dls_region(keys, velocities, unity=None, loops=(), link=None, extra=()):
    chunks = [chunk(b"rgnh", struct.pack("<6H", keys[0], keys[1], velocities[0], velocities[1], 0, 0))]
    if unity is not None:
        body = struct.pack("<IHhiII", 20, unity, 0, 0, 0, len(loops))
        for start, length in loops:
            body += struct.pack("<4I", 16, 0, start, length)
        chunks.append(chunk(b"wsmp", body))
    if link is not None:
        chunks.append(chunk(b"wlnk", struct.pack("<HHII", 0, 0, 1, link)))
    return lst(b"rgn ", chunks + list(extra))


def dls_instrument(name, program, regions):
    chunks = [chunk(b"insh", struct.pack("<3I", len(regions), 0, program)), lst(b"lrgn", regions)]
    if name is not None:
        chunks.append(lst(b"INFO", [chunk(b"INAM", zstr(name))]))
    return lst(b"ins ", chunks)


def dls_bank(instruments, waves, extra=()):
    # The pool table gives each wave's offset in the pool, so that a link's
    # index names the wave at that position.
    offsets, at = [], 0
    for w in waves:
        offsets.append(at)
        at += len(w)
    ptbl = struct.pack("<II", 8, len(waves)) + b"".join(struct.pack("<I", o) for o in offsets)
    chunks = [chunk(b"colh", struct.pack("<I", len(instruments))), chunk(b"vers", struct.pack("<II", 1, 0))]
    if instruments:
        chunks.append(lst(b"lins", instruments))
    chunks += [chunk(b"ptbl", ptbl), lst(b"wvpl", waves)]
    chunks.append(lst(b"INFO", [chunk(b"INAM", zstr("Test DLS"))]))
    return riff(b"DLS ", chunks + list(extra))


def dls_files():
    files = {}
    waves = [
        dls_wave("Mono 16", 1, 22050, 16, audio.ramp(40, 1, -32768, 32767)),
        dls_wave("Stereo 8", 2, 11025, 8, audio.ramp(25, 2, -128, 127)),
        dls_wave("Mono 24", 1, 48000, 24, audio.ramp(17, 1, -8388608, 8388607)),
    ]
    organ = dls_instrument("Organ", 0, [
        dls_region((0, 47), (0, 127), unity=48, loops=[(4, 30), (10, 5)], link=0),
        dls_region((48, 71), (0, 63), unity=60, link=1),
        dls_region((48, 71), (64, 127), unity=60, loops=[(2, 20)], link=1),
    ])
    bass = dls_instrument("Bass", 1, [dls_region((0, 127), (0, 127), unity=36, link=2)])
    files["bank.dls"] = dls_bank([organ, bass], waves)

    # A pool and no instruments.
    files["pool-only.dls"] = dls_bank([], waves[:1])

    # An instrument with no name: a region naming a wave past the pool, one
    # naming a wave in it, one naming none.
    nameless = dls_instrument(None, 2, [dls_region((0, 127), (0, 127), unity=60, link=7),
                                        dls_region((0, 127), (0, 127), unity=61, link=0),
                                        dls_region((72, 127), (0, 127), unity=84)])
    files["bad-link.dls"] = dls_bank([nameless], waves[:1])

    # Chunks whose sizes are zero or point past the file: the reader reads
    # what is there and stops at the end.
    sized = dls_instrument("Sized", 3, [dls_region((10, 20), (0, 127), unity=60, link=0,
                                                   extra=[b"zero\0\0\0\0"])])
    files["bad-sizes.dls"] = dls_bank([sized], waves[:1], extra=[b"LIST\0\0\0\0", b"junk\xf0\xff\xff\xff"])
    return files


# --- Akai programs ----------------------------------------------------------

def sub(tag, body, size=None):
    """A keygroup's sub-chunk; size, when given, is what its header says."""
    return tag + struct.pack("<I", len(body) if size is None else size) + body


def kloc(low, high):
    return sub(b"kloc", bytes([1, 3, 1, 4, low, high, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0]))


def zone(name, vlow, vhigh):
    body = bytes([0, len(name)]) + zstr(name, 20) + bytes(12) + bytes([vlow, vhigh]) + bytes(10)
    return sub(b"zone", body)


def akp_files():
    files = {}
    env = sub(b"env ", bytes([1, 0, 50, 0, 15, 0, 85, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]))
    keygroups = [
        # Four zones: the sample is the first one's, with the keys of the
        # location before it.
        [kloc(36, 59), env, zone("Violin C3", 10, 100), zone("Viola", 0, 127), zone("", 0, 127),
         zone("", 0, 127)],
        # A zone before any key location: keys 0 .. 0.
        [zone("Cello", 1, 126), kloc(60, 72)],
        # A sub-chunk of size zero, then one whose size (negative as a signed
        # number) runs past the keygroup: reading stops at the keygroup's end.
        [sub(b"filt", b"", 0), kloc(73, 84), zone("Violin C3", 20, 90), sub(b"env ", bytes(8), 0xFFFFFFF0)],
        # Names that leave the program's folder, or name no file.
        [kloc(85, 96), zone("../outside", 0, 127)],
        [kloc(97, 100), zone("/tmp/outside", 0, 127)],
        [kloc(101, 127), zone("Missing", 0, 127)],
    ]
    chunks = [chunk(b"prg ", bytes([1, 0, 0, 0, 0, len(keygroups)]))]
    chunks += [chunk(b"kgrp", b"".join(k)) for k in keygroups]
    files["Strings.old.akp"] = riff(b"APRG", chunks)

    # The sounds beside the program.
    files["Violin C3.wav"] = audio.riff(b"WAVE", [
        audio.fmt(1, 32000, 16), (b"data", audio.le(audio.ramp(48, 1, -32768, 32767), 2)),
        audio.smpl(48, [(0, 0, 6, 40, 0, 0)]), audio.inst_wav(48, 0, 0, 0, 127, 0, 127)])
    files["Viola.wav"] = audio.riff(b"WAVE", [audio.fmt(2, 44100, 16),
                                              (b"data", audio.le(audio.ramp(12, 2, -32768, 32767), 2))])
    files["Cello.wav"] = audio.riff(b"WAVE", [audio.fmt(1, 8000, 8),
                                              (b"data", audio.le(audio.ramp(21, 1, -128, 127), 1, True))])
    return files


def fixtures():
    """Every file by its path under OUTDIR."""
    files = {}
    for folder, made in (("sf2", sf2_files()), ("dls", dls_files()), ("akp", akp_files())):
        for name, data in made.items():
            files[folder + "/" + name] = data
    files["outside.wav"] = audio.riff(b"WAVE", [audio.fmt(1, 8000, 16), (b"data", audio.le([1, 2, 3, 4], 2))])
    return files


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    for path, data in sorted(fixtures().items()):
        full = os.path.join(out, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
