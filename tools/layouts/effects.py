"""The instrument's effect types: their values, names and menus, the tables
that offer them (reverb, chorus, insertion and master effects), and the
parameter panels of the effect document, one section per type keyed by the
type's two bytes in hex, built from shared templates.

An effect block holds the type (two bytes) and sixteen parameters of two bytes
each: parameter n lies at the block's address + 2 n. The panels address them
by index; the window that shows them adds the block's address.

Types are grouped by their first byte. Names the instrument's data gives are
kept; the others are "Type HHLL" and their groups "Group HH", visibly ours.
Types of the groups in NO_PANEL have no parameter panel: the document holds
98 sections, fewer than the insertion types.
"""

from .model import Element

ROOT = "Effects Parameters"

GROUP_MENUS = {0x01: "Reverb", 0x02: "Delay", 0x0F: "Misc"}
NAMES = {0x0100: "Hall 1", 0x0108: "Large Hall", 0x0130: "Plate", 0x0140: "White Room",
         0x0200: "Delay LCR", 0x0A40: "Comp+Dist+Delay", 0x0E40: "Isolator", 0x0F78: "DynamFilter"}
# Types per group: the first byte, then the second bytes.
GROUPS = [
    (0x01, [0x00, 0x08, 0x02, 0x10, 0x18, 0x20, 0x28, 0x30, 0x40, 0x48]),
    (0x02, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48]),
    (0x03, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x04, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x05, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48]),
    (0x06, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x07, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x08, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x09, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x0A, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48]),
    (0x0B, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x0C, [0x00, 0x08, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40]),
    (0x0E, [0x00, 0x20, 0x40]),
    (0x0F, [0x78]),
]
NO_PANEL = (0x0B, 0x0C)
CANYON = 0x0110


def types():
    """Every effect type but "Thru", in the insertion table's order."""
    return [(group << 8) | second for group, seconds in GROUPS for second in seconds]


def name(value):
    return NAMES.get(value, "Type %04X" % value)


def menu(value):
    group = value >> 8
    return GROUP_MENUS.get(group, "Group %02X" % group)


def entry(value, with_menu):
    """A type's line in a table: two hex bytes, then the text."""
    text = "%s|%s" % (menu(value), name(value)) if with_menu else name(value)
    return "%02X,%02X,%s" % (value >> 8, value & 0xFF, text)


THRU = "00,00,Thru"


def tables():
    """The four type tables: name -> their lines, key 0 first. The fixed
    lines of the instrument's data (key 1 of the reverb and chorus tables,
    the dynamic filter last among the insertion types) stand where they
    must."""
    reverb = [0x0108, 0x0100] + [v for v in types() if v >> 8 == 0x01 and v not in (0x0108, 0x0100)]
    chorus = [0x0100, 0x0200] + [v for v in types() if v >> 8 == 0x05]
    master = [0x0248] + [v for v in types() if v >> 8 == 0x0E]
    return {
        "REVERB_TYPES": [THRU] + [entry(v, False) for v in reverb],
        "CHORUS_TYPES": [THRU] + [entry(v, True) for v in chorus],
        "INSFX_TYPES": [THRU] + [entry(v, True) for v in types()],
        "MASTER_FX_TYPES": [THRU] + [entry(v, False) for v in master],
    }


def has_panel(value):
    return value >> 8 not in NO_PANEL


# --- the parameter panels ------------------------------------------------------------

def param(index, title, maximum=127, condition=None):
    attrs = [("index", str(index)), ("title", title), ("size", "2"), ("max", str(maximum))]
    if condition:
        attrs.append(("condition", condition))
    return Element("edit", attrs)


def header(title):
    return Element("header", [("title", title)])


def include(template):
    return Element("include", [("template", template)])


def numbered(indexes, maximum=127):
    return [param(i, "Param %d" % i, maximum) for i in indexes]


def dry_wet():
    # Only an insertion effect mixes its own dry signal in.
    return param(10, "Dry/Wet Balance", condition="insfx")


TEMPLATES = [
    ("TemplateReverb", [param(1, "Reverb Time")] + numbered(range(2, 6)) + [dry_wet()] + numbered(range(11, 16))),
    ("TemplateCanyon", [include("TemplateReverb")] + numbered(range(6, 10))),
    ("TemplateEQ", [header("Equalizer"), param(13, "Low Freq"), param(14, "Low Gain"),
                    param(15, "High Freq"), param(16, "High Gain")]),
    ("TemplateDelayLCR", [header("Delay"), param(1, "Time L", 1365), param(2, "Time R", 1365),
                          param(3, "Time C", 1365), param(4, "Feedback Time", 1365),
                          param(5, "Feedback Level"), param(6, "Level C"), param(7, "Feedback Hi Damp"),
                          dry_wet()]),
    # A column of its own for the last two, which the balance's row would
    # otherwise push to the foot of the first column.
    ("TemplateDelay", [header("Delay"), param(1, "Time", 1365)] + numbered(range(2, 10)) + [dry_wet()]
     + [Element("col", [])] + numbered(range(11, 13))),
    ("TemplateDistortion", [param(5, "Drive"), param(6, "Output Level")]),
    ("TemplateChorus", numbered(range(1, 10)) + [dry_wet()] + numbered(range(11, 17))),
    ("TemplateGeneric", numbered(range(1, 10)) + [dry_wet()] + numbered(range(11, 17))),
]


def body(value):
    group = value >> 8
    if value == CANYON:
        return [include("TemplateCanyon")]
    if group == 0x01:
        return [include("TemplateReverb")]
    if value == 0x0200:
        return [include("TemplateDelayLCR"), include("TemplateEQ")]
    if group == 0x02:
        return [include("TemplateDelay"), include("TemplateEQ")]
    if value == 0x0A40:
        # The distortion's parameters come from the template, which a
        # heading before it does not reach.
        return ([header("Compressor"), param(1, "Attack")] + numbered(range(2, 5)) +
                [header("Distortion"), include("TemplateDistortion"), header("Delay"),
                 param(8, "Time", 1365), param(9, "Param 9"), dry_wet()])
    if group == 0x0A:
        return numbered(range(1, 5)) + [include("TemplateDistortion")] + numbered(range(7, 10)) + [dry_wet()]
    if group == 0x05:
        return [include("TemplateChorus")]
    return [include("TemplateGeneric")]


def document():
    """The effect document's root element."""
    root = Element("section", [("name", ROOT)])
    for template, children in TEMPLATES:
        element = Element("template", [("name", template)])
        element.children = children
        root.children.append(element)
    for value in types():
        if not has_panel(value):
            continue
        section = Element("section", [("value", "%04X" % value), ("title", name(value))])
        section.children = body(value)
        root.children.append(section)
    return root
