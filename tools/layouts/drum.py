"""The drum kit editor. A kit is a common block (46 70 00), a general block
(46 00 00), effect blocks (46 00 40, 46 01 00 - 46 04 00), control sets
(46 05 00) and 73 keys k (notes 24-96), each in five blocks: 47 k 00 (wave,
switches, sends), 47 k 20 (level, pan, envelope), 48 k 00 (pitch), 49 k 00
(filter) and 4A k 00 (EQ).
"""

from .model import Layout
from . import shared
from .shared import at, pan, signed

KEYS = range(73)

KEY_NODES = (" ; ;default=0;default=0"
             "|Attack;ATK;address=47xx23 default=64;default=127"
             "|Decay;DCY;address=47xx24 default=64;address=47xx29 default=127"
             "|Release;REL;address=47xx25 default=127;default=0")


def drum():
    layout = Layout("DrumEditor", "drum", bare_ampersand=True)
    shared.selection(layout, "Drum", "Drum Kit Selection", "4670", "DRUMS", 96, category_width=40)
    shared.system(layout, "Drum", master_effect=True)

    s = layout.section("Drum:Common", "Drum Kit Common", cell=104)
    s.edit("Volume", "460000")
    s.check("Arpeggiator", "467016")
    s.combo("Arpeggiator", "467014", size=2, items="ARPType")
    s.add("edit", "Tempo", tempo=1, address="467028", size=2, min=1, max=300, default=120)
    s.edit("Swing", "467026", size=2, min=8, max=248, offset=-128)
    s.col()
    s.edit("Reverb", "460004")
    s.combo("Reverb", "460100", size=2, items="REVERB_TYPES", section="Effects Parameters", subsection="hex")
    s.edit("Chorus", "460005")
    s.combo("Chorus", "460200", size=2, items="CHORUS_TYPES", section="Effects Parameters", subsection="hex")
    s.col()
    signed(s, "edit", "Cutoff", "467047")
    signed(s, "edit", "Reso", "467048")
    s.combo("InsA", "460300", size=2, items="INSFX_TYPES", section="Effects Parameters", subsection="hex",
            flag="insfx")
    s.combo("InsB", "460400", size=2, items="INSFX_TYPES", section="Effects Parameters", subsection="hex",
            flag="insfx")
    s.col()
    for title, section in (("&General...", "Drum:General"), ("E&ffects...", "Drum:Effects"),
                           ("&Arpeggiator...", "Drum:Arpeggiator"), ("&Control Sets...", "Drum:Controllers")):
        s.button(title, section)

    s = layout.section("Drum:General", "General Settings")
    s.edit("Volume", "460000")
    pan(s, "Pan", "467035")
    s.edit("Reverb", "460004")
    s.edit("Chorus", "460005")
    signed(s, "edit", "PB Lower", "460003", min=16, max=64)
    signed(s, "edit", "PB Upper", "460002", min=64, max=88)
    signed(s, "edit", "Cutoff", "467047")
    signed(s, "edit", "Resonance", "467048")
    signed(s, "edit", "Attack Time", "467049")
    signed(s, "edit", "Decay Time", "467037")
    s.col()
    shared.equalizer_offsets(s, "4670")
    shared.assigns(s, "4670")

    shared.voice_effects(layout, "Drum", "46", drum_sends=True)
    shared.control_sets(layout, "Drum", "4605")
    shared.arpeggiator(layout, "Drum", "4670")

    # The key selector: a note 24-96 whose key the key panels show.
    s = layout.section("Drum:KeySelection", "Select Drum Key")
    s.edit(None, items="NOTENAME", min=24, max=96, default=36, note=1, piano=1, width=260, height=20, bold=1)

    s = layout.section("Drum:Key", None, KEYS, cell=85)
    s.combo("Mem", "47xx01", items="WaveTypes2", width=44)
    s.col()
    s.combo("&Wave", "47xx06", size=2, items="DrumWaveList", min=1, cat_sep=" ", wrap=1, width=100)

    s = layout.section("Drum:Key2", None, KEYS, cell=85)
    s.header("Key")
    s.check("Switch", "47xx00")
    s.check("Rx Note Off", "47xx04")
    s.combo("Key On Assign", "47xx05", items=shared.T_KEY_ASSIGN)
    s.combo("Alt Group", "47xx08", items="off127")
    s.combo("Output", "47xx09", items="OUTPUT")
    pan(s, "Pan", "47xx21")
    s.col()
    s.edit("Random Pan", "47xx22")
    s.edit("Alt Pan", "47xx26")
    s.header("Pitch")
    s.edit("Coarse", "48xx00", min=16, max=112, offset=-64)
    signed(s, "edit", "Fine", "48xx01")
    signed(s, "edit", "Velo Sens", "48xx02")
    s.col()
    s.header("Filter")
    signed(s, "edit", "Velo Sens", "47xx0B")
    s.edit("Cutoff", "49xx02")
    signed(s, "edit", "Cutoff Sens", "49xx03")
    s.edit("Reso", "49xx00")
    signed(s, "edit", "Reso", "49xx04")
    s.edit("HPF Cutoff", "49xx01")
    s.col()
    s.header("Amplitude")
    s.edit("Level", "47xx20")
    s.eg("AEG", KEY_NODES, small=1, width=120)
    s.button("Edit...", "Drum:Key:AEG")
    s.col()
    s.header("EQ")
    s.combo("EQ Type", "4Axx00", items=shared.T_EQ_TYPE)
    s.edit("Low Freq", "4Axx03")
    signed(s, "edit", "Low Gain", "4Axx04")
    s.edit("Hi Freq", "4Axx06")
    signed(s, "edit", "Hi Gain", "4Axx07")
    s.col()
    s.header("Effects")
    s.edit("Rev Send", "47xx0E")
    s.edit("Cho Send", "47xx0C")
    s.combo("InsFX Route", "47xx0A", items="thru|ins A|ins B")

    s = layout.section("Drum:Key:AEG", "AEG", KEYS, type="Key", offset=24)
    s.eg(None, KEY_NODES, width=300, height=120)
    s.col()
    for n in range(3):
        s.edit("Time", at("47xx", 0x23 + n))
    s.edit("Level", "47xx29")
    return layout
