"""The pieces a layout is written with: sections of elements, the writer of
the panel data's XML, and the instrument's parameter addresses.

A section is a list of elements in document order. Each element is its tag
and its attributes in the order they are written. Address texts are the
panel data's iterator expressions: hexadecimal, a run of "x" standing for
the panel's iterator ("31xx0E", "316x00").
"""

import re

# The width in pixels of the titles longer than a cell at the editors'
# default font (a 9-point sans serif), measured. A control with one of these
# titles gets a cell of its own width where the panel's cells are narrower:
# its title plus what the control draws beside it (a check box's box, a
# button's border, a label's indent) and an eighth more for other fonts.
TITLE_PIXELS = {
    "Send To Reverb": 93, "InsFX Connection": 104, "Tempo Sync": 72, "LFO Tempo Speed": 108,
    "Random Speed": 91, "Change Timing": 90, "Gate Time Rate": 93, "Quantize Value": 90,
    "Quantize Strength": 109, "Sensitivity": 62, "DelayTempoSync": 103, "PEG Level Sens": 92,
    "PEG Time Sens": 90, "Level Center Key": 101, "PEG Time Center Key": 127, "FEG Level Sens": 92,
    "FEG Time Sens": 90, "HPF Cutoff Sens": 96, "FEG Time Center Key": 127, "AEG Time Sens": 91,
    "AEG Time Dest": 90, "FineScaling": 68, "Filter Type": 61, "VelCrossFade": 79, "KeyOnReset": 72,
    "Key on Delay": 79, "Fade in Time": 76, "InsFX Send": 66, "KeyOnDelay": 73, "DelayTempo": 74,
    "Rx Note Off": 69, "Key On Assign": 86, "Portamento": 70, "Voice Pan": 57, "Assign1": 47,
    "Assign2": 47, "Master Effect": 90, "Effects Connection": 112, "MIDI Out Channel": 105,
    "FEG Depth": 64, "VeloDepth": 62, "VeloOffset": 61, "Mono/Poly": 61, "PortaTime": 60,
    "PortaMode": 64, "Tx Bank Select": 89, "Tx Prog Change": 95, "Volume": 45, "Sustain": 44,
    "Bank MSB": 60, "Bank LSB": 60, "Use Voice Pan": 84, "Insert Effects": 90,
}
# What a control draws beside its title in its cell.
TITLE_CHROME = {"check": 19, "button": 6, "header": 3}


def cell_width(tag, title):
    """The cell a title needs, rounded up to 5 pixels; 0 for a title that
    fits any cell."""
    pixels = TITLE_PIXELS.get(title)
    if not pixels:
        return 0
    needed = pixels * 9 // 8 + TITLE_CHROME.get(tag, 1)
    return (needed + 4) // 5 * 5


class Element:
    def __init__(self, tag, attrs):
        self.tag = tag
        self.attrs = attrs  # list of (name, text) pairs, in writing order
        self.children = []

    def get(self, name, default=None):
        for key, value in self.attrs:
            if key == name:
                return value
        return default


def text_of(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    return str(value)


class Section:
    """One panel of an editor. iterators: the iterator values the section is
    loaded with (None: only -1, as a plain panel); cell: the width of the
    panel's cells where its window or dialog shows it."""

    def __init__(self, name, title=None, iterators=None, cell=90, **attrs):
        self.name = name
        self.title = title
        self.iterators = iterators
        self.cell = cell
        self.attrs = attrs
        self.items = []

    def add(self, tag, title=None, **attrs):
        pairs = []
        if title is not None:
            pairs.append(("title", title))
            # A title longer than the panel's cells widens its own.
            if attrs.get("width") is None and cell_width(tag, title) > self.cell:
                attrs["width"] = cell_width(tag, title)
        pairs += [(k, text_of(v)) for k, v in attrs.items() if v is not None]
        element = Element(tag, pairs)
        self.items.append(element)
        return element

    # Value controls. The address comes right after the title, as in every
    # hand-written layout.
    def edit(self, title, address=None, **kw):
        return self.add("edit", title, address=address, **kw)

    def combo(self, title, address=None, **kw):
        return self.add("combo", title, address=address, **kw)

    def check(self, title, address=None, **kw):
        return self.add("check", title, address=address, **kw)

    def string(self, title, address, **kw):
        return self.add("string", title, address=address, **kw)

    def patch(self, title, address=None, **kw):
        return self.add("patch", title, address=address, **kw)

    def range(self, title, low, high, **kw):
        return self.add("range", title, low=low, high=high, **kw)

    def eg(self, title, nodes, **kw):
        return self.add("eg", title, nodes=nodes, **kw)

    def button(self, title, section, **kw):
        return self.add("button", title, section=section, **kw)

    def label(self, title, **kw):
        return self.add("label", title, **kw)

    def header(self, title, **kw):
        return self.add("header", title, **kw)

    def tab(self, title):
        return self.add("tab", title)

    def col(self):
        return self.add("col")

    def br(self, **kw):
        return self.add("br", **kw)

    def sep(self, **kw):
        return self.add("sep", **kw)

    def p(self):
        return self.add("p")

    # An effect type combo and the button that opens its parameters, right
    # after it: the window opened is the effect section of the type shown.
    def effect_type(self, title, address, table, button="Edit...", insertion=False, **kw):
        flag = "insfx" if insertion else None
        self.combo(title, address, size=2, items=table, section="Effects Parameters", subsection="hex",
                   flag=flag, **kw)
        if button:
            self.button(button, "Effects Parameters", subsection="hex", flag=flag)


class Layout:
    """One editor's layout file."""

    def __init__(self, title, patch_type, bare_ampersand):
        self.title = title
        self.patch_type = patch_type      # the initial patch its edit buffer holds
        self.bare_ampersand = bare_ampersand
        self.sections = []

    def section(self, name, title=None, iterators=None, cell=90, **attrs):
        s = Section(name, title, iterators, cell, **attrs)
        self.sections.append(s)
        return s


# --- writing ---------------------------------------------------------------------

def quote(text, bare_ampersand):
    assert '"' not in text and "<" not in text and ">" not in text, text
    if not bare_ampersand:
        text = text.replace("&", "&amp;")
    return text


def element_text(element, indent, bare_ampersand):
    attrs = "".join(' %s="%s"' % (k, quote(v, bare_ampersand)) for k, v in element.attrs)
    if not element.children:
        return ["%s<%s%s/>" % (indent, element.tag, attrs)]
    lines = ["%s<%s%s>" % (indent, element.tag, attrs)]
    for child in element.children:
        lines += element_text(child, indent + "  ", bare_ampersand)
    lines.append("%s</%s>" % (indent, element.tag))
    return lines


def section_element(section):
    pairs = [("name", section.name)]
    if section.title is not None:
        pairs.append(("title", section.title))
    pairs += [(k, text_of(v)) for k, v in section.attrs.items()]
    element = Element("section", pairs)
    element.children = section.items
    return element


def layout_text(layout, comment):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>']
    lines += [("<!-- " if i == 0 else "     ") + line for i, line in enumerate(comment)]
    lines[-1] += " -->"
    lines.append('<section title="%s">' % layout.title)
    for s in layout.sections:
        lines += element_text(section_element(s), "  ", layout.bare_ampersand)
    lines.append("</section>")
    return "\n".join(lines) + "\n"


# --- addresses -------------------------------------------------------------------

def parse_iterator(text, iterator):
    """The panel data's iterator expression: each run of "x" is the iterator
    in as many hexadecimal digits."""
    def digits(m):
        return "%0*X" % (len(m.group(0)), iterator)
    return int(re.sub("x+", digits, text), 16)


def has_iterator(text):
    return "x" in text


# --- columns of a panel --------------------------------------------------------

ROWS_PER_COLUMN = 24
CAPTIONED = ("string", "edit", "combo", "range", "patch", "eg")


def parted_cells(items, templates=None, conditions=""):
    """The titles a vertical panel would part from what belongs under them:
    a control's caption in the last cell of a column with the control at the
    top of the next, or a heading in the last cell with its first control in
    the next column. items: the section's elements in order; templates: the
    effect templates an "include" names; conditions: the panel's condition
    text (an element with a "condition" not in it is not built)."""
    templates = templates or {}
    cells = []  # (kind, title) per cell: "caption", "header", "control", "blank"

    def walk(elements):
        for e in elements:
            if e.tag == "include":
                walk(templates[e.get("template")].children)
                continue
            condition = e.get("condition")
            if condition and condition not in conditions.split():
                continue
            title = e.get("title", "")
            if e.tag in CAPTIONED and title and e.get("no_title") not in ("1", "true"):
                cells.append(("caption", title))
            if e.tag in ("header", "label"):
                cells.append(("header", title))
            elif e.tag in ("col", "column"):
                used = len(cells) % ROWS_PER_COLUMN
                cells.extend([("blank", "")] * ((ROWS_PER_COLUMN - used) if used else 0))
            elif e.tag == "p":
                cells.extend([("blank", "")] * 2)
            elif e.tag in ("br", "sep", "separator"):
                cells.append(("blank", ""))
            elif e.tag not in ("tab",):
                cells.append(("control", title))

    walk(items)
    parted = []
    for i, (kind, title) in enumerate(cells[:-1]):
        after = cells[i + 1][0]
        if i % ROWS_PER_COLUMN == ROWS_PER_COLUMN - 1 and (
                (kind == "caption" and after == "control") or (kind == "header" and after != "blank")):
            parted.append(title)
    return parted
