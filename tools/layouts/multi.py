"""The performance and mix editors: a common block of 101 bytes (30 00 00,
36 00 00), effect blocks beside it, and part blocks of 58 bytes (31 pp 00 for
the four performance parts, 37 pp 00 for the sixteen mix parts, 31 6n 00 and
37 6n 00 for the plug-in board parts).

Part block: 00-02 the voice (bank MSB, LSB, program), 03 the receive channel,
04 mono/poly, 05/06 velocity limits, 07/08 note limits, 09/0A pitch bend
range, 0B/0C velocity depth and offset, 0D volume, 0E pan, 0F detune, 12/13
reverb and chorus sends, 15 dry level, 16 note shift, 17/18 cutoff and
resonance, 1A-1C portamento, 1E output, 1F-21 switches (1F bit 0 the part in
use, bit 1 the arpeggio, the other bits what the part receives), 22-2C the
envelope offsets, 24 the voice's own pan, 2E-38 the part EQ. The common
block's insertion switch word at 60 (four bytes) has a bit per part: bits 0-15
the parts, 16-18 the board parts, 19 the A/D input.
"""

from .model import Layout
from . import shared
from .shared import at, pan, signed

# Receive switches: (title, byte, bit); the titles of the two assignable
# controllers differ between the editors.
def receive_switches(assign1, assign2):
    return [("Ctrl", 0x1F, 2), ("AT", 0x1F, 3), ("PB", 0x1F, 4), ("Exp", 0x1F, 5), ("Sust", 0x1F, 6),
            ("MW", 0x20, 0), ("FS", 0x20, 1), ("FC1", 0x20, 2), ("FC2", 0x20, 3), ("BC", 0x20, 4),
            (assign1, 0x20, 5), (assign2, 0x20, 6), ("RB", 0x21, 0)]


PLG_SWITCHES = ("Ctrl", "AT", "PB", "Exp", "Sust")


def part_row(layout, name, title, part, common, plg, mix, iterators, **attrs):
    """One row of the parts tab. part: the part block with its iterator
    ("31xx", "376x"); plg: a plug-in board part, which has no EQ, fewer
    envelope offsets and receive switches; mix: the mix's row, with mute,
    solo and the receive channel."""
    s = layout.section(name, title, iterators, cell=60, **attrs)
    p = lambda o: at(part, o)
    switch_bit = "1x" if plg else "xx"

    if mix:
        s.patch("Voice", p(0x00), request=1, banks="PLGxx" if plg else "MIX_VOICES", width=142)
        s.check("M", mute=1, part=switch_bit, tip="Mute", width=17)
        s.check("S", solo=1, part=switch_bit, tip="Solo", width=18)
    else:
        s.patch("Voice", p(0x00), request=1, width=142, banks="PLGxx" if plg else "VOICES")
        s.check("Use", p(0x1F), bit="0", use=1)

    def key_range():
        s.range("Key Range", p(0x07), p(0x08), items="NOTENAME", note=1, width=91, classic=0)

    def velocity_range():
        s.range("Velocity Range", p(0x05), p(0x06), velocity=1, width=108, min=1, space=23)

    def volume(**kw):
        s.edit("Volume", p(0x0D), **kw)

    def arp():
        s.check("ARP" if mix else "Arp", p(0x1F), bit="1")

    def cutoff_reso():
        signed(s, "edit", "Cutoff", p(0x17))
        signed(s, "edit", "Reso", p(0x18))

    def key():
        s.edit("Key", p(0x16), min=40, max=88, offset=-64)

    s.tab("Mixer")
    if mix:
        volume(default=100, width=50)
    else:
        key_range()
        arp()
        volume()
    pan(s, "Pan", p(0x0E), width=46)
    key()
    if mix:
        s.edit("Reverb", p(0x12))
        s.edit("Chorus", p(0x13))
        s.check("InsFX", at(common, 0x60), size=4, bit=switch_bit)
        cutoff_reso()
        arp()
        s.combo("Channel", p(0x03), items="CHANNELS", width=54)
        s.combo("Output", p(0x1E), items="OUTPUT")
    else:
        s.check("Ins", at(common, 0x60), size=4, bit=switch_bit)
        s.edit("Reverb", p(0x12))
        s.edit("Chorus", p(0x13))
        cutoff_reso()

    s.tab("EQ")
    if not plg:
        signed(s, "edit", "Low Gain", p(0x30))
        signed(s, "edit", "Mid Gain", p(0x34))
        signed(s, "edit", "Hi Gain", p(0x38))
        s.edit("Mid Q", p(0x35), max=40)
        s.edit("Low Freq", p(0x2E), size=2, min=32, max=2000, metric="Hz")
        s.edit("Mid Freq", p(0x32), size=2, min=100, max=10000, metric="Hz")
        s.edit("Hi Freq", p(0x36), size=2, min=200, max=16000, metric="Hz")
    volume()

    s.tab("Tone")
    signed(s, "edit", "Detune", p(0x0F))
    if plg:
        signed(s, "edit", "PB", p(0x09), group=1)
        key()
        s.edit("Dry Level", p(0x15))
        signed(s, "edit", "VeloDepth", p(0x0B))
        signed(s, "edit", "VeloOffset", p(0x0C))
    else:
        signed(s, "edit", "PB Lower", p(0x0A), min=16, max=64, group=1)
        signed(s, "edit", "PB Upper", p(0x09), min=64, max=88, group=1)
        key()

    s.tab("EG")
    if plg:
        cutoff_reso()
        for title, o in (("Attack", 0x23), ("Decay", 0x25), ("Release", 0x26)):
            signed(s, "edit", title, p(o))
    else:
        for first in (0x22, 0x27):
            # Amplitude, then filter: sustain sits before attack in the block.
            for title, o in (("Attack", 1), ("Decay", 3), ("Sustain", 0), ("Release", 4)):
                signed(s, "edit", title, p(first + o))
        signed(s, "edit", "FEG Depth", p(0x2C))
        cutoff_reso()

    s.tab("Level")
    volume()
    if not plg:
        s.edit("Dry Level", p(0x15))
        signed(s, "edit", "VeloDepth", p(0x0B))
        signed(s, "edit", "VeloOffset", p(0x0C))
    if mix:
        key_range()
    velocity_range()

    s.tab("Play")
    if mix and not plg:
        s.check("Use Voice Pan", p(0x24))
    s.combo("Mono/Poly", p(0x04), items=shared.T_MONO_POLY, group=1)
    s.check("Portamento", p(0x1A), group=1)
    s.edit("PortaTime", p(0x1B), group=1)
    if not plg:
        s.combo("PortaMode", p(0x1C), items=shared.T_PORTA_MODE, group=1)
    if not mix:
        if not plg:
            s.check("Voice Pan", p(0x24))
        s.combo("Output", p(0x1E), items="OUTPUT")
        key_range()
        arp()

    switches = receive_switches("Knob1" if mix else "Assign1", "Knob2" if mix else "Assign2")
    s.tab("Receive 1")
    for title, byte, bit in switches[:7]:
        if not plg or title in PLG_SWITCHES:
            s.check(title, p(byte), bit=str(bit))
    s.tab("Receive 2")
    if plg:
        s.check("MW", p(0x20), bit="0")
    else:
        for title, byte, bit in switches[7:]:
            s.check(title, p(byte), bit=str(bit))
    return s


def performance():
    layout = Layout("PerformanceEditor", "performance", bare_ampersand=True)
    shared.selection(layout, "Perf", "Performance Selection", "3000", "PERFORMANCES", 80, name_width=118, category_width=40)
    shared.system(layout, "Perf", master_effect=False)

    s = layout.section("Perf:Common", "Performance Common", cell=100)
    s.edit("Volume", "300052")
    s.combo("Reverb", "300100", size=2, items="REVERB_TYPES", section="Effects Parameters", subsection="hex")
    s.edit("Reverb", "300055")
    s.combo("Chorus", "300200", size=2, items="CHORUS_TYPES", section="Effects Parameters", subsection="hex")
    s.edit("Chorus", "300056")
    s.col()
    s.combo("Master Effect", "301100", size=2, items="MASTER_FX_TYPES", section="Effects Parameters",
            subsection="hex")
    s.check("Master Effect", "301122")
    s.check("Arpeggiator", "300016")
    s.combo("Arpeggiator", "300014", size=2, items="ARPType")
    s.combo("ARP Hold", "300017", items=shared.T_ARP_HOLD)
    s.add("edit", "Tempo", tempo=1, address="300028", size=2, min=1, max=300, default=120)
    s.col()
    for title, section in (("&General...", "Perf:General"), ("E&ffects...", "Perf:Effects"),
                           ("Master E&Q...", "Perf:MEQ"), ("&Arpeggiator...", "Perf:Arpeggiator"),
                           ("&Controllers...", "Perf:Controllers"), ("&Inputs...", "Perf:AD")):
        s.button(title, section)

    part_row(layout, "Perf:Part", "xx", "31xx", "3000", plg=False, mix=False, iterators=range(4))
    part_row(layout, "Perf:PLGPart", "Pxx", "316x", "3000", plg=True, mix=False, iterators=range(3))
    shared.multi_general(layout, "Perf", "3000", full=True)

    s = layout.section("Perf:Effects", "Effects Settings", copypaste=1)
    shared.system_effects(s, "30", send="300056")
    s.col()
    s.label("Master Effect", bold=1)
    s.effect_type("Type", "301100", "MASTER_FX_TYPES")
    s.check("Enable", "301122")

    shared.master_eq(layout, "Perf", "3010")
    shared.controller_setup(layout, "Perf", "3000")
    shared.audio_inputs(layout, "Perf", "3000", "34", "Insert FX", "Effects Connection")
    shared.arpeggiator(layout, "Perf", "3000", midi_out="MIDI Out")
    return layout


def mix():
    layout = Layout("MixEditor", "mix", bare_ampersand=False)
    shared.system(layout, "Mix", master_effect=False, monitor_key=False)
    row = dict(center=1, selectable=1, width=45)
    part_row(layout, "Mix:Part", "xx", "37xx", "3600", plg=False, mix=True, iterators=range(16), **row)
    part_row(layout, "Mix:PLGPart", "Pxx", "376x", "3600", plg=True, mix=True, iterators=range(3), **row)
    shared.mix_system_panel(layout)

    s = layout.section("Mix:Common", "Mix Common", cell=116)
    s.button("&General...", "Mix:General")
    s.button("Master E&Q...", "Mix:MEQ")
    s.button("E&ffects...", "Mix:Effects")
    s.combo("Reverb", "360100", size=2, items="REVERB_TYPES", section="Effects Parameters", subsection="hex")
    s.combo("Chorus", "360200", size=2, items="CHORUS_TYPES", section="Effects Parameters", subsection="hex")
    s.combo("Master Effect", "361100", size=2, items="MASTER_FX_TYPES", section="Effects Parameters",
            subsection="hex")
    s.check("Master Effect", "361122")
    s.col()
    s.button("&Arpeggiator...", "Mix:Arpeggiator")
    s.check("ARP Switch", "360016", key="F6")
    s.combo("ARP Select", "360014", size=2, items="ARPType")
    s.button("&Controllers...", "Mix:Controllers")
    s.button("&Inputs...", "Mix:AD")

    shared.multi_general(layout, "Mix", "3600", full=False)
    shared.master_eq(layout, "Mix", "3610")

    s = layout.section("Mix:Effects", "Effects Settings")
    shared.system_effects(s, "36", button="Details")
    s.col()
    s.header("Master Effect")
    s.effect_type("Type", "361100", "MASTER_FX_TYPES", button="Details")
    s.check("Enable", "361122")

    shared.controller_setup(layout, "Mix", "3600")
    shared.audio_inputs(layout, "Mix", "3600", "38", "Insert Effects", "InsFX Connection")
    shared.arpeggiator(layout, "Mix", "3600", tempo=False, midi_out="MIDI Out")
    return layout
