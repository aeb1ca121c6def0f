"""The pieces a layout is written with: sections of elements, the writer of
the panel data's XML, and the instrument's parameter addresses.

A section is a list of elements in document order. Each element is its tag
and its attributes in the order they are written. Address texts are the
panel data's iterator expressions: hexadecimal, a run of "x" standing for
the panel's iterator ("31xx0E", "316x00").
"""

import re

# Elements that carry a parameter and what the reader takes of them.
VALUE_TAGS = ("edit", "combo", "check", "string", "patch", "range", "eg")


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
    loaded with (None: only -1, as a plain panel)."""

    def __init__(self, name, title=None, iterators=None, **attrs):
        self.name = name
        self.title = title
        self.iterators = iterators
        self.attrs = attrs
        self.items = []

    def add(self, tag, title=None, **attrs):
        pairs = []
        if title is not None:
            pairs.append(("title", title))
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

    def section(self, name, title=None, iterators=None, **attrs):
        s = Section(name, title, iterators, **attrs)
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
