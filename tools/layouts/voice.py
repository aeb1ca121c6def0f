"""The voice editor. A voice is a common block (40 70 00: name, category,
arpeggio, offsets), a general block (40 00 00), effect blocks (40 00 40,
40 01 00 - 40 04 00), control sets (40 05 00), the common LFO (40 06 00) and
four elements e, each in seven blocks: 41 e 00 (wave, limits, switches),
41 e 20 (amplitude), 42 e 00 (pitch), 43 e 00 (filter), 44 e 00 (EQ),
44 e 40 (element LFO) and 44 e 50 (the common LFO's depths on the element).
"""

from .model import Layout
from . import shared
from .shared import at, pan, signed

ELEMENTS = range(4)

AMP_NODES = ("Init;INIT; ;address=41xx28 default=0"
             "|Attack;ATK;address=41xx24 default=0;address=41xx29 default=127"
             "|Decay1;DCY1;address=41xx25 default=127;address=41xx2A default=127"
             "|Decay2;DCY2;address=41xx26 default=127;address=41xx2B default=127"
             "| ; ;default=127;watch=-1"
             "|Release;REL;address=41xx27 default=0")


def pitch_filter_nodes(block, times, levels):
    """Hold, attack, two decays and release, each with a one-byte time and a
    two-byte level; the first node copies the hold level."""
    names = [("Hold", "HOLD"), ("Attack", "ATK"), ("Decay1", "DCY1"), ("Decay2", "DCY2"),
             ("Release", "REL")]
    nodes = [" ; ; ;max=255 offset=-128 size=2 watch=1"]
    for n, (name, short) in enumerate(names):
        nodes.append("%s;%s;address=%s;address=%s" % (name, short, at(block, times + n),
                                                      at(block, levels + 2 * n)))
    return "|".join(nodes)


PITCH_NODES = pitch_filter_nodes("42xx", 0x05, 0x0A)
FILTER_NODES = pitch_filter_nodes("43xx", 0x0E, 0x13)


def envelope_panel(layout, name, title, nodes, depth_title, depth, times, levels):
    s = layout.section(name, title, ELEMENTS, type="Element")
    s.eg(None, nodes, width=300, height=120)
    s.col()
    signed(s, "edit", depth_title, depth)
    for n in range(5):
        s.edit("Time", at(depth[:4], times + n))
    s.col()
    for n in range(5):
        s.edit("Level", at(depth[:4], levels + 2 * n), size=2, max=255, offset=-128)
    return s


def scaling_panel(layout, name, block, notes):
    """Four break points: their notes, then their level offsets (two bytes
    each, centred on 128)."""
    s = layout.section(name, "Level Scaling", ELEMENTS, type="Element")
    for n in range(4):
        s.edit("Note", at(block, notes + n), items="NOTENAME", note=1)
    s.col()
    for n in range(4):
        s.edit("Offset", at(block, notes + 4 + 2 * n), size=2, max=255, offset=-128)
    return s


def voice():
    layout = Layout("VoiceEditor", "voice", bare_ampersand=False)
    shared.system(layout, "Voice", master_effect=True)
    shared.selection(layout, "Voice", "Voice Selection", "4070", "VOICES_NODRUM", 90, name_width=103,
                     category_width=30)

    s = layout.section("Voice:Common", "Voice Common", cell=108)
    s.edit("Volume", "400001")
    pan(s, "Pan", "407035")
    signed(s, "edit", "PB Lower", "400006", min=16, max=64)
    signed(s, "edit", "PB Upper", "400005", min=64, max=88)
    s.edit("Reverb", "40000B")
    s.col()
    s.combo("Reverb", "400100", size=2, items="REVERB_TYPES", section="Effects Parameters", subsection="hex")
    s.edit("Chorus", "40000C")
    s.combo("Chorus", "400200", size=2, items="CHORUS_TYPES", section="Effects Parameters", subsection="hex")
    signed(s, "edit", "Cutoff", "407047")
    signed(s, "edit", "Reso", "407048")
    s.col()
    s.combo("Polyphony", "400003", items=shared.T_MONO_POLY)
    s.check("Portamento", "400008")
    s.combo(None, "400007", items=shared.T_PORTA_MODE)
    s.check("Arpeggiator", "407016")
    s.combo("Arpeggiator", "407014", size=2, items="ARPType")
    s.add("edit", "Tempo", tempo=1, address="407028", size=2, min=1, max=300, default=120)
    s.combo("InsA", "400300", size=2, items="INSFX_TYPES", section="Effects Parameters", subsection="hex",
            flag="insfx")
    s.combo("InsB", "400400", size=2, items="INSFX_TYPES", section="Effects Parameters", subsection="hex",
            flag="insfx")
    s.col()
    for title, section in (("&General...", "Voice:General"), ("E&ffects...", "Voice:Effects"),
                           ("&Arpeggiator...", "Voice:Arpeggiator"), ("Common &LFO...", "Voice:LFO"),
                           ("&Control Sets...", "Voice:Controllers")):
        s.button(title, section)

    s = layout.section("Voice:General", "General Settings")
    s.edit("Volume", "400001")
    pan(s, "Pan", "407035")
    s.edit("Reverb", "40000B")
    s.edit("Chorus", "40000C")
    s.combo("Microtuning", "40000D", items=shared.T_MICRO_TUNING)
    s.combo("M.tuning Root", "40000F", items=shared.T_ROOT)
    signed(s, "edit", "PB Lower", "400006", min=16, max=64)
    signed(s, "edit", "PB Upper", "400005", min=64, max=88)
    s.col()
    s.header("Envelopes")
    for title, amp, filt in (("Attack Time", 0x49, 0x39), ("Decay Time", 0x37, 0x3A),
                             ("Release Time", 0x4A, 0x3B)):
        signed(s, "edit", title, at("4070", amp))
        signed(s, "edit", title, at("4070", filt))
    signed(s, "edit", "FEG Depth", "40703D")
    signed(s, "edit", "Cutoff", "407047")
    signed(s, "edit", "Resonance", "407048")
    signed(s, "edit", "Sustain Level", "407038")
    s.col()
    shared.equalizer_offsets(s, "4070")
    s.header("Play Mode")
    s.combo("Polyphony", "400003", items=shared.T_MONO_POLY)
    s.combo("Key On Assign", "400002", items=shared.T_KEY_ASSIGN)
    s.header("Portamento")
    s.combo("Mode", "400007", items=shared.T_PORTA_MODE)
    s.check("Switch", "400008")
    s.edit("Time", "400009")
    s.combo("Time Mode", "40000A", items=shared.T_TIME_MODE)
    s.combo("Legato Slope", "400004", items=shared.T_LEGATO)
    s.col()
    shared.assigns(s, "4070")

    shared.voice_effects(layout, "Voice", "40")
    shared.control_sets(layout, "Voice", "4005", elements=len(ELEMENTS))

    s = layout.section("Voice:LFO", "Common LFO")
    s.combo("LFO Wave", "400600", items=shared.T_LFO_WAVE, image=shared.LFO_WAVE_IMAGE)
    s.button("User Wave", "Voice:LFO:User")
    s.edit("LFO Speed", "400602", max=63, enable="Tempo Sync", enable_values="0")
    s.check("Tempo Sync", "400601")
    s.combo("LFO Tempo Speed", "400603", items=shared.T_NOTE_LENGTH, enable="Tempo Sync")
    s.edit("Delay Time", "400606")
    s.edit("Fade In Time", "400607")
    s.edit("Hold Time", "400608")
    s.edit("Fade Out Time", "400609")
    s.combo("Key On Reset", "400604", items=shared.T_KEY_RESET)
    s.edit("Random Speed", "400605")
    s.combo("LFO Phase", "40060A", items=shared.T_PHASE)
    s.col()
    # Per element: its phase against the common LFO, and whether each of the
    # three destinations reaches it (bits of 44 e 50).
    for e in ELEMENTS:
        s.combo("Element %d" % (e + 1), "44%02X01" % e, items=shared.T_PHASE)
        for d in range(3):
            s.check("Element %d" % (e + 1), "44%02X50" % e, bit=str(d))
    s.col()
    for d in range(3):
        s.combo("Destination", at("4006", 0x0B + 3 * d), items=shared.T_LFO_DEST)
        s.edit("Depth", at("4006", 0x0C + 3 * d))
    # The depth of each destination on each element.
    for d in range(3):
        s.header("Depth %d" % (d + 1))
        for e in ELEMENTS:
            s.edit(None, "44%02X%02X" % (e, 0x51 + d))

    s = layout.section("Voice:LFO:User", "User Wave")
    s.combo("Ridev Steps", "400613", items="2|3|4|6|8|12|16")
    s.combo("Slope", "400614", items="off|wave 1|wave 2|wave 3")
    # The steps a wave of the chosen length has are usable: entries 0-6 are
    # 2, 3, 4, 6, 8, 12 and 16 steps.
    for n in range(16):
        shortest = [2, 3, 4, 6, 8, 12, 16]
        needed = next(i for i, steps in enumerate(shortest) if steps > n)
        enable = None if needed == 0 else "|".join(str(i) for i in range(needed, 7))
        s.edit("Step %d" % (n + 1), at("4006", 0x15 + n), offset=-64,
               enable="Ridev Steps" if enable else None, enable_values=enable)
        if n == 7:
            s.col()

    shared.arpeggiator(layout, "Voice", "4070")
    element(layout)

    envelope_panel(layout, "Voice:Elem:PEG", "Pitch Envelope", PITCH_NODES, "Depth", "42xx14", 0x05, 0x0A)
    envelope_panel(layout, "Voice:Elem:FEG", "Filter Envelope", FILTER_NODES, "FEG Depth", "43xx1D", 0x0E,
                   0x13)

    s = layout.section("Voice:Elem:AEG", "Amp Envelope", ELEMENTS, type="Element")
    s.eg(None, AMP_NODES, width=300, height=120)
    s.col()
    s.edit("Volume", "41xx20")
    for n in range(4):
        s.edit("Level", at("41xx", 0x28 + n))
    s.col()
    for n in range(4):
        s.edit("Time", at("41xx", 0x24 + n))

    s = layout.section("Voice:Elem:Pitch:Sens", "Sensitivity", ELEMENTS, type="Element")
    s.combo("Velocity Curve", "42xx18", items=shared.T_SENS_CURVE)
    signed(s, "edit", "Pitch Sens", "42xx19")
    signed(s, "edit", "PEG Level Sens", "42xx16")
    signed(s, "edit", "PEG Time Sens", "42xx17")
    signed(s, "edit", "PEG Time Sens", "42xx1B")
    s.combo("PEG Time Dest", "42xx15", items=shared.T_TIME_DEST)
    s.edit("Level Center Key", "42xx1A", items="NOTENAME", note=1)
    signed(s, "edit", "Level Sens", "42xx02")
    s.edit("PEG Time Center Key", "42xx1C", items="NOTENAME", note=1)

    s = layout.section("Voice:Elem:Filter:Sens", "Sensitivity", ELEMENTS, type="Element")
    s.combo("Velocity Curve", "43xx21", items=shared.T_SENS_CURVE)
    signed(s, "edit", "Cutoff Sens", "43xx03")
    signed(s, "edit", "Cutoff Sens", "43xx22")
    signed(s, "edit", "Reso Sens", "43xx06")
    signed(s, "edit", "FEG Level Sens", "43xx1F")
    signed(s, "edit", "FEG Time Sens", "43xx20")
    signed(s, "edit", "FEG Time Sens", "43xx2F")
    s.combo("FEG Time Dest", "43xx1E", items=shared.T_TIME_DEST)
    signed(s, "edit", "HPF Cutoff Sens", "43xx30")
    s.edit("FEG Time Center Key", "43xx31", items="NOTENAME", note=1)

    s = layout.section("Voice:Elem:Amp:Sens", "Sensitivity", ELEMENTS, type="Element")
    s.combo("Velocity Curve", "41xx22", items=shared.T_SENS_CURVE)
    signed(s, "edit", "Level Sens", "41xx21")
    signed(s, "edit", "Level Sens", "41xx2D")
    signed(s, "edit", "AEG Time Sens", "41xx2E")
    signed(s, "edit", "AEG Time Sens", "41xx2F")
    s.combo("AEG Time Dest", "41xx2C", items=shared.T_TIME_DEST)
    s.edit("Center Key", "41xx3D", items="NOTENAME", note=1)

    scaling_panel(layout, "Voice:Elem:Filter:Scaling", "43xx", 0x23)
    scaling_panel(layout, "Voice:Elem:Amp:Scaling", "41xx", 0x30)
    return layout


def element(layout):
    """One element's row of the parts tab: its wave and switch always in
    view, the rest on eight tabs."""
    s = layout.section("Voice:Elem", "xx", ELEMENTS, cell=60, center=1, selectable=1, width=45, type="Element")
    e = lambda block, o: at(block, o)
    s.combo("Mem", "41xx01", items="WaveTypes", width=44)
    s.combo("Wave", "41xx03", size=2, items="WaveList", min=1, numbers=0, cat_sep=" ", width=104)
    s.check("Use", "41xx00", use=1)

    def level():
        s.edit("Level", "41xx20")

    def element_pan():
        pan(s, "Pan", "41xx3C")

    def coarse():
        s.edit("Coarse", "41xx08", min=16, max=112, offset=-64)

    def cutoff():
        s.edit("Cutoff", "43xx02")

    def reso():
        s.edit("Reso", "43xx04")

    def key_range():
        s.range("Key Range", "41xx0C", "41xx0D", items="NOTENAME", note=1, width=91)

    def sensitivity(section):
        s.button("Sensitivity", section)

    s.tab("Main")
    level()
    element_pan()
    coarse()
    signed(s, "edit", "Fine", "41xx0A")
    cutoff()
    reso()
    s.check("InsFX", "41xx05")
    key_range()
    s.range("Velo Range", "41xx0E", "41xx0F", velocity=1, min=1, width=91)

    s.tab("Pitch")
    coarse()
    signed(s, "edit", "Fine Tune", "41xx0A")
    signed(s, "edit", "FineScaling", "41xx0B")
    s.eg("Pitch Envelope", PITCH_NODES, small=1, width=120)
    s.button("PEG", "Voice:Elem:PEG")
    sensitivity("Voice:Elem:Pitch:Sens")
    s.edit("Random", "42xx03")

    s.tab("Filter")
    s.combo("Filter Type", "43xx00", items="FILTERS")
    cutoff()
    reso()
    s.edit("Gain", "43xx01")
    s.edit("HPF", "43xx07")
    s.edit("Dist", "43xx05")
    s.eg("Filter Envelope", FILTER_NODES, small=1, width=120)
    s.button("FEG", "Voice:Elem:FEG")
    sensitivity("Voice:Elem:Filter:Sens")
    s.button("Scaling", "Voice:Elem:Filter:Scaling")

    s.tab("Amplitude")
    level()
    element_pan()
    s.edit("Random", "41xx23")
    s.eg("Amp Envelope", AMP_NODES, small=1, width=120)
    s.button("AEG", "Voice:Elem:AEG")
    sensitivity("Voice:Elem:Amp:Sens")
    s.button("Scaling", "Voice:Elem:Amp:Scaling")
    s.combo("Alt Pan", "41xx06", items=shared.T_ALT_PAN)
    signed(s, "edit", "Scaling", "41xx16")

    s.tab("EQ")
    s.combo("EQ Type", "44xx00", items=shared.T_EQ_TYPE, width=70)
    s.edit("Low Freq", "44xx03")
    signed(s, "edit", "Low Gain", "44xx04")
    s.edit("Hi Freq", "44xx06")
    signed(s, "edit", "Hi Gain", "44xx07")
    reso()

    s.tab("Limits")
    key_range()
    s.range("Velocity Range", "41xx0E", "41xx0F", velocity=1, min=1, width=91)
    s.edit("VelCrossFade", "41xx10")

    s.tab("LFO")
    s.combo("Wave", "44xx40", items=shared.T_ELEMENT_LFO_WAVE)
    s.edit("Speed", "44xx42")
    s.edit("PitchMod", "44xx45")
    s.edit("FilterMod", "44xx46")
    s.edit("AmpMod", "44xx47")
    s.combo("KeyOnReset", "44xx41", items="off|on")
    s.edit("Key on Delay", "44xx43")
    s.edit("Fade in Time", "44xx44")

    s.tab("Delay")
    s.edit("InsFX Send", "41xx1B")
    s.edit("KeyOnDelay", "41xx11")
    s.check("DelayTempoSync", "41xx12")
    s.combo("DelayTempo", "41xx15", items=shared.T_NOTE_LENGTH, enable="DelayTempoSync")
    return s
