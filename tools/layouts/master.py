"""The master editor. A master is a common block (33 00 00: name, mode, the
program it calls up, the zone switch, the knob function) and four zones z of
16 bytes (32 z 00).

Zone block: 00 the transmit channel (bits 0-3) and the MIDI and tone
generator switches (bits 4 and 5), 01/02 octave and semitone, 03/04 the note
limits, 06 volume, 07 bit 0 breath controller, 08 pan, 09-0B the voice (bank
MSB, LSB, program), 0C and 0D the transmit switches, 0E/0F the controller
numbers of the slider and the knob.
"""

from .model import Layout
from . import shared
from .shared import at, pan

ZONES = range(4)


def master():
    layout = Layout("MasterEditor", "master", bare_ampersand=True)
    shared.selection(layout, "Master", "Master Selection", "3300", "MASTERS", 100, category=False)
    shared.system(layout, "Master", master_effect=False)

    s = layout.section("Master:Common", "Master Common", cell=170)
    s.combo("Mode", "33000D", items="MODES")
    s.combo("Knob Function", "330012", items=shared.T_KNOB)
    s.check("Enable Zones", "330011", size=1)
    s.patch("Voice", "33000E", banks="VOICES", enable="Mode", enable_values="0")
    s.patch("Performance", "33000E", banks="PERFORMANCES", enable="Mode", enable_values="1")
    s.combo("Pattern/Song", "330010", items="ProgramNo", max=63, enable="Mode", enable_values="2|3")

    s = layout.section("Master:Zone", "xx", ZONES, cell=60)
    z = lambda o: at("32xx", o)
    s.combo("Channel", z(0x00), bit="0", bits=4, items="CHANNELS", max=15)
    s.check("MIDI", z(0x00), bit="4")
    s.check(" TG", z(0x00), bit="5")

    s.tab("Note")
    s.edit("Octave", z(0x01), min=61, max=67, offset=-64)
    s.edit("Semitone", z(0x02), min=52, max=76, offset=-64)
    s.range("Key Range", z(0x03), z(0x04), items="NOTENAME", note=1, width=91)

    def tx_switches():
        s.check("Tx Bank Select", z(0x0C), bit="0")
        s.check("Tx Prog Change", z(0x0C), bit="1")

    s.tab("Preset")
    tx_switches()
    s.edit("Volume", z(0x06))
    pan(s, "Pan", z(0x08))
    s.combo("Bank MSB", z(0x09), items="BankNo")
    s.combo("Bank LSB", z(0x0A), items="BankNo")
    s.combo("Program", z(0x0B), items="ProgramNo")
    s.patch("Voice", z(0x09), banks="VOICES", change_on_byte=1, width=160)

    s.tab("Transmit")
    tx_switches()
    s.check("Volume", z(0x0C), bit="2")
    s.check("Pan", z(0x0C), bit="3")
    s.check("Slider", z(0x0C), bit="4")
    s.check("Knob", z(0x0C), bit="5")

    s.tab("Controllers")
    s.edit("Volume", z(0x06))
    pan(s, "Pan", z(0x08))
    s.combo("Slider", z(0x0E), items="CONTROLLERS", width=95)
    s.combo("Knob", z(0x0F), items="CONTROLLERS", width=95)

    s.tab("Switches")
    s.check("Sustain", z(0x0C), bit="6")
    for n, title in enumerate((" AT", " PB", " MW", " RB", "FC1", "FC2", "FS")):
        s.check(title, z(0x0D), bit=str(n))
    s.check(" BC", z(0x07), bit="0")
    return layout
