"""Panels several editors share, written once for the block they show: the
system settings, the patch selection, the arpeggiator, the effects, the
control sets, and the performance's and mix's common settings, master EQ,
controllers, audio inputs and part rows.

Addresses: a block is named by its first four hexadecimal digits ("4070" is
the voice's common block at 40 70 00, "31xx" a performance part) and each
parameter by the low byte after them.
"""

# The value tables of the instrument's data that the layouts use, by what
# they hold.
T_LFO_WAVE = "TABLE_1"
T_NOTE_LENGTH = "TABLE_2"
T_KEY_RESET = "TABLE_3"
T_PHASE = "TABLE_4"
T_LFO_DEST = "TABLE_5"
T_SENS_CURVE = "TABLE_6"
T_TIME_DEST = "TABLE_7"
T_ELEMENT_LFO_WAVE = "TABLE_8"
T_EQ_TYPE = "TABLE_9"
T_ALT_PAN = "TABLE_10"
T_MONO_POLY = "TABLE_11"
T_PORTA_MODE = "TABLE_12"
T_KEY_ASSIGN = "TABLE_13"
T_MICRO_TUNING = "TABLE_14"
T_ROOT = "TABLE_15"
T_LEGATO = "TABLE_16"
T_TIME_MODE = "TABLE_17"
T_KNOB = "TABLE_18"
T_ARP_HOLD = "TABLE_19"
T_UNIT_MULTIPLY = "TABLE_20"
T_ARP_KEY_MODE = "TABLE_21"
T_ARP_VELOCITY_MODE = "TABLE_22"
T_CHANGE_TIMING = "TABLE_23"
T_QUANTIZE = "TABLE_24"
T_CONNECTION = "TABLE_25"
T_INPUT_MODE = "TABLE_26"
T_EQ_SHAPE = "TABLE_27"

VELOCITY_CURVES = "norm|soft|hard|wide|fixed"
VELOCITY_CURVE_IMAGE = ":/vesk/images/velocurves.png"
LFO_WAVE_IMAGE = ":/vesk/images/lfowaves.png"


def at(block, offset):
    return "%s%02X" % (block, offset)


def signed(section, kind, title, address, **kw):
    """A value centred on 64, shown from -64 to +63."""
    return getattr(section, kind)(title, address, offset=-64, **kw)


def pan(section, title, address, **kw):
    return section.edit(title, address, min=1, items="PAN", offset=-64, **kw)


# --- system settings ---------------------------------------------------------------

def system(layout, prefix, master_effect, monitor_key=True):
    """The instrument's own settings, outside every patch."""
    s = layout.section(prefix + ":System", "System Settings", cell=114)
    s.header("General")
    s.edit("Volume", "000000")
    s.edit("Note Shift", "000001", min=40, max=88, offset=-64)
    s.combo("Velocity Curve", "00000C", items=VELOCITY_CURVES, image=VELOCITY_CURVE_IMAGE)
    s.check("Local Control", "000009")
    s.check("mLAN Monitor", "000029", key="F8" if monitor_key else None)
    s.combo("A/D Input Gain", "00002A", items="mic|line")
    s.header("Controllers")
    s.combo("AssignA", "00002B", items="CONTROLLERS")
    s.combo("AssignA Dest", "00002C", items="off|pan|tone|send")
    s.combo("AssignB", "00002D", items="CONTROLLERS")
    s.combo("AssignB Dest", "00002E", items="off|pan|tone|send")
    s.combo("Foot Switch", "000031", items="CONTROLLERS")
    if master_effect:
        s.header("Master Effect")
        s.check("Enable", "002122")
        s.effect_type("Master Effect", "002100", "MASTER_FX_TYPES")
    return s


def mix_system_panel(layout):
    """The mix window's own system panel: a few settings always in view."""
    s = layout.section("Mix:System1", "System", cell=116)
    s.edit("Volume", "000000")
    s.check("Local Control", "000009", key="F7")
    s.check("mLAN Monitor", "000029", key="F8")
    return s


# --- patch selection -----------------------------------------------------------

def selection(layout, prefix, title, common, banks, number_width, category=True, name_width=None,
              category_width=None):
    # Side by side: the panel is then as wide as the tool buttons under it
    # (234 pixels) and low enough to leave the parts below in view.
    s = layout.section(prefix + ":Selection", title)
    s.add("patch", "&Number", width=number_width, no_names=1, bold=1, banks=banks)
    s.col()
    if category:
        s.combo("Cat", at(common, 0x0C), size=1, items="CATEGORIES", width=category_width, bold=1)
        s.col()
    s.string("Name", at(common, 0x00), chars=10, width=name_width, bold=1)
    return s


# --- arpeggiator ---------------------------------------------------------------------

def arpeggiator(layout, prefix, common, tempo=True, midi_out=None):
    """common: the block of the patch's common settings. midi_out: the title
    of the arpeggio's MIDI output group, when the patch has one."""
    s = layout.section(prefix + ":Arpeggiator", "Arpeggiator Settings", copypaste=1)
    s.check("ARP Switch", at(common, 0x16))
    s.combo("Main Type", at(common, 0x14), size=2, items="ARPType")
    for n in range(5):
        s.combo("ARP%d" % (n + 1), at(common, 0x2A + 2 * n), size=2, items="ARPType")
    s.col()
    s.combo("Hold", at(common, 0x17), items=T_ARP_HOLD)
    s.combo("Key Mode", at(common, 0x1D), items=T_ARP_KEY_MODE)
    s.combo("Velocity Mode", at(common, 0x1E), items=T_ARP_VELOCITY_MODE)
    s.combo("Change Timing", at(common, 0x1F), items=T_CHANGE_TIMING)
    s.edit("Velocity Rate", at(common, 0x22), size=2, max=200, metric="%")
    s.edit("Gate Time Rate", at(common, 0x24), size=2, max=200, metric="%")
    if tempo:
        s.add("edit", "Tempo", tempo=1, address=at(common, 0x28), size=2, min=1, max=300, default=120)
    s.col()
    s.combo("Unit Multiply", at(common, 0x18), items=T_UNIT_MULTIPLY)
    s.combo("Quantize Value", at(common, 0x20), items=T_QUANTIZE)
    s.edit("Quantize Strength", at(common, 0x21), max=100, metric="%")
    s.edit("Swing", at(common, 0x26), size=2, min=8, max=248, offset=-128)
    s.range("Velocity Range", at(common, 0x1B), at(common, 0x1C), velocity=1, min=1)
    s.range("Key Range", at(common, 0x19), at(common, 0x1A), items="NOTENAME", note=1)
    if midi_out:
        s.label(midi_out, bold=1)
        s.check("Enable", at(common, 0x11))
        s.combo("MIDI Out Channel", at(common, 0x12), items="CHANNELS", max=15)
    return s


# --- effects ---------------------------------------------------------------------------

def system_effects(s, block, button="Edit...", send=None):
    """Reverb and chorus of a patch whose effect blocks start at block ("40"
    is 40 01 00 and 40 02 00). send: the address of a send shown, disabled,
    beside the chorus return."""
    s.header("Reverb")
    s.effect_type("Type", block + "0100", "REVERB_TYPES", button=button)
    s.edit("Return", block + "0122")
    pan(s, "Pan", block + "0123")
    s.header("Chorus")
    s.effect_type("Type", block + "0200", "CHORUS_TYPES", button=button)
    s.edit("Return", block + "0222")
    pan(s, "Pan", block + "0223")
    if send:
        s.add("edit1", "Send", address=send)
    s.edit("Send To Reverb", block + "0224")


def insertion_effects(s, block, connection, connection_title):
    s.effect_type("InsA", block + "0300", "INSFX_TYPES", insertion=True)
    s.effect_type("InsB", block + "0400", "INSFX_TYPES", insertion=True)
    s.combo(connection_title, connection, items=T_CONNECTION)


def voice_effects(layout, prefix, block, drum_sends=False):
    s = layout.section(prefix + ":Effects", "Effects", copypaste=1)
    system_effects(s, block)
    s.col()
    s.header("Insertion")
    insertion_effects(s, block, block + "0040", "InsFX Connection")
    if drum_sends:
        s.edit("Reverb Send", block + "0041")
        s.edit("Chorus Send", block + "0042")
    return s


# --- control sets ----------------------------------------------------------------------

def control_sets(layout, prefix, block, elements=0):
    """Six control sets of five bytes each: source, destination (two bytes),
    depth. elements: the voice's elements, each with a byte of six switches
    (one per set) at 41 e 18."""
    s = layout.section(prefix + ":Controllers", "Control Sets")
    for n in range(6):
        o = 5 * n
        s.header("Set %d" % (n + 1))
        s.combo("Source", at(block, o), items="CONTROLLERS", width=95)
        s.combo("Destination", at(block, o + 1), size=2, items="CTRL_DEST")
        signed(s, "edit", "Depth", at(block, o + 3))
        for e in range(elements):
            s.check("Element %d" % (e + 1), "41%02X18" % e, bit="%X" % n)
        if n % 2 == 1:
            s.col()
    return s


# --- performance and mix: common panels ------------------------------------------------

def multi_general(layout, prefix, common, full):
    """The offsets a performance or mix applies to its voices. full: the
    performance's whole set; the mix shows its controllers and EQ only."""
    s = layout.section(prefix + ":General", "General Settings")
    if full:
        s.edit("Volume", at(common, 0x52))
        pan(s, "Pan", at(common, 0x35))
        s.edit("Reverb", at(common, 0x55))
        s.edit("Chorus", at(common, 0x56))
        s.col()
        s.header("Envelopes")
        for title, amp, filt in (("Attack Time", 0x49, 0x39), ("Decay Time", 0x37, 0x3A),
                                 ("Release Time", 0x4A, 0x3B)):
            signed(s, "edit", title, at(common, amp))
            signed(s, "edit", title, at(common, filt))
        signed(s, "edit", "FEG Depth", at(common, 0x3D))
        signed(s, "edit", "Cutoff", at(common, 0x47))
        signed(s, "edit", "Resonance", at(common, 0x48))
        signed(s, "edit", "Sustain Level", at(common, 0x38))
        s.col()
        s.header("Portamento")
        s.check("Switch", at(common, 0x54))
        signed(s, "edit", "Time", at(common, 0x53))
        equalizer_offsets(s, common)
        assigns(s, common)
    else:
        assigns(s, common)
        equalizer_offsets(s, common)
    return s


def equalizer_offsets(s, common):
    s.header("Equalizer")
    for title, o in (("Low", 0x40), ("Low Mid", 0x41), ("High Mid", 0x42), ("High", 0x43)):
        signed(s, "edit", title, at(common, o))


def assigns(s, common):
    s.header("Knobs")
    for title, o in (("AssignA", 0x3E), ("AssignB", 0x3F), ("Assign1", 0x45), ("Assign2", 0x46)):
        signed(s, "edit", title, at(common, o))
    s.combo("Knob Function", at(common, 0x34), items=T_KNOB)


def master_eq(layout, prefix, block):
    """Five bands of four bytes: gain, frequency, Q and, on the outer bands,
    the shape."""
    s = layout.section(prefix + ":MEQ", "Master EQ")
    for band in range(5):
        o = 4 * band
        s.header("Band %d" % (band + 1))
        s.edit("Gain", at(block, o), min=52, max=76, offset=-64, metric="dB")
        s.edit("Freq", at(block, o + 1), min=4, max=58)
        s.edit("Q", at(block, o + 2), min=1, max=120, divide=10)
        if band in (0, 4):
            s.combo("Shape", at(block, o + 3), items=T_EQ_SHAPE)
        if band == 2:
            s.col()
    return s


def controller_setup(layout, prefix, common):
    s = layout.section(prefix + ":Controllers", "Controllers Setup")
    for title, o in (("Assignable 1", 0x58), ("Assignable 2", 0x59), ("Ribbon Ctrl", 0x5A)):
        s.combo(title, at(common, o), items="CONTROLLERS", width=95)
    s.combo("Ribbon Mode", at(common, 0x5D), items="reset|hold")
    for title, o in (("Breath Ctrl", 0x5B), ("Foot 1", 0x5C), ("Foot 2", 0x5E)):
        s.combo(title, at(common, o), items="CONTROLLERS", width=95)
    return s


INPUT_NAMES = ["A/D In", "mLAN 1", "mLAN 2", "mLAN 3", "mLAN 4"]


def audio_inputs(layout, prefix, common, inputs, insert_label, connection_title):
    """The A/D input and the four mLAN inputs (8 bytes each from inputs 40
    00 on), then the insertion effects the A/D input goes through: its
    switch is bit 19 of the common block's insertion switch word."""
    s = layout.section(prefix + ":AD", "Inputs Settings")
    for i, name in enumerate(INPUT_NAMES):
        block = "%s%02X" % (inputs, 0x40 + i)
        s.header(name)
        s.combo("Input Mode", at(block, 0x00), items=T_INPUT_MODE)
        s.edit("Volume", at(block, 0x01))
        pan(s, "Pan", at(block, 0x02))
        s.edit("Dry Level", at(block, 0x06))
        s.edit("Reverb Send", at(block, 0x03))
        s.edit("Chorus Send", at(block, 0x04))
        s.combo("Output Port", at(block, 0x07), items="OUTPUT")
        s.col()
    s.label(insert_label, bold=1)
    s.check("Enable", at(common, 0x60), size=4, bit="13")
    s.combo(connection_title, at(common, 0x5F), items=T_CONNECTION)
    s.effect_type("InsA", at(common[:2] + "03", 0x00), "INSFX_TYPES", insertion=True)
    s.effect_type("InsB", at(common[:2] + "04", 0x00), "INSFX_TYPES", insertion=True)
    return s
