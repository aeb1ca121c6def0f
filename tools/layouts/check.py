"""What the generator checks before it writes anything: every parameter a
layout shows lies in the instrument's memory (a block of the initial patch of
the editor's type, or the system area) with its bytes inside the block, two
parameters at one address agree on their size, and the initial patch holds a
value the control can show there.
"""

import os

from .model import parse_iterator, has_iterator

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Tables:
    """The value tables of the device's data, as the device reads them: the
    values of each table in key order."""

    def __init__(self, paths):
        self.tables = {}
        for path in paths:
            self._read(path)

    def _read(self, path):
        with open(path, encoding="ascii") as f:
            title, keys, lines = None, {}, {}
            for raw in f.read().splitlines() + ["[]"]:
                line = raw.strip()
                if not line or line.startswith(";"):
                    continue
                if line.startswith("[") and line.endswith("]"):
                    if title is not None:
                        self._add(title, keys, lines)
                    title, keys, lines = line[1:-1], {}, {}
                    continue
                key, _, value = line.partition("=")
                if key.isdigit():
                    lines[int(key)] = value
                else:
                    keys[key] = value

    def _add(self, title, keys, lines):
        size = int(keys.get("Size", "1") or "1")
        hexadecimal = keys.get("Hex", "0") not in ("", "0")
        values = []
        for key in range(int(keys.get("Ridev", "0") or "0")):
            fields = lines.get(key, "").split(",")
            if len(fields) == 1:
                values.append(key)
            elif size == 2 and len(fields[0]) == 4:
                values.append(int(fields[0], 16))
            elif size == 2:
                base = 16 if hexadecimal else 10
                values.append(int(fields[0], base) * 128 + int(fields[1], base))
            else:
                values.append(int(fields[0], 16 if hexadecimal else 10) & 0xFF)
        self.tables[title] = values

    def values(self, items):
        if "|" in items:
            return list(range(len(items.split("|"))))
        return self.tables.get(items)


class Memory:
    """The blocks of one patch type's initial patch, and the system area."""

    def __init__(self, blocks, system):
        self.blocks = blocks  # address -> data bytes
        self.system = system  # address -> bytes

    def bytes_at(self, address, size):
        """The initial bytes of a parameter, or why there are none."""
        if address in self.system:
            data = self.system[address]
            if size > len(data):
                return None, "%06X: %d bytes, the system parameter has %d" % (address, size, len(data))
            return data[:size], None
        for start, data in self.blocks.items():
            if start <= address < start + len(data):
                if address - start + size > len(data):
                    return None, "%06X: %d bytes run past the block %06X" % (address, size, start)
                return data[address - start:address - start + size], None
        return None, "%06X: no block of the patch and no system parameter" % address


def read_system(path):
    """The system area: address -> its initial bytes."""
    area = {}
    with open(path, encoding="ascii") as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            address, size, initial = line.split()[:3]
            data = bytes.fromhex(initial)
            assert len(data) == int(size), line
            area[int(address, 16)] = data
    return area


def value_of(data):
    value = 0
    for byte in data:
        value = value * 128 + byte
    return value


def attr_int(element, name, default):
    text = element.get(name)
    if text is None or text == "":
        return default
    return int(text, 0)


class Claim:
    """One parameter a control reads: where, how many bytes, which bits."""

    def __init__(self, address, size, bit=-1, bits=0):
        self.address = address
        self.size = size
        self.bit = bit
        self.bits = bits


def element_claims(element, iterator):
    """The parameters of a layout element with the panel's iterator."""
    tag = element.tag
    size = max(1, attr_int(element, "size", 1))
    bit_text = element.get("bit")
    bit = parse_iterator(bit_text, iterator) if bit_text else -1
    bits = attr_int(element, "bits", 0) or (1 if bit != -1 else 0)
    if tag in ("edit", "combo", "check", "string", "edit1") and element.get("address"):
        if tag == "string":
            base = parse_iterator(element.get("address"), iterator)
            return [Claim(base + n, 1) for n in range(attr_int(element, "chars", 10))]
        return [Claim(parse_iterator(element.get("address"), iterator), size, bit, bits)]
    if tag == "patch" and element.get("address"):
        base = parse_iterator(element.get("address"), iterator)
        return [Claim(base + n, 1) for n in range(3)]
    if tag == "range":
        return [Claim(parse_iterator(element.get(end), iterator), size, bit, bits) for end in ("low", "high")]
    if tag == "eg":
        return [Claim(a, s) for a, s, _, _ in eg_values(element.get("nodes"), iterator)]
    return []


def eg_values(nodes, iterator):
    """The adjustable values of an envelope: (address, size, min, max)."""
    out = []
    # Later nodes start from the first node's size and range.
    inherited = {2: {"size": 1, "min": 0, "max": 127}, 3: {"size": 1, "min": 0, "max": 127}}
    for n, node in enumerate(nodes.split("|")):
        fields = node.split(";")
        for f in (2, 3):
            common = dict(inherited[f])
            address = None
            text = fields[f].strip() if f < len(fields) else ""
            for item in text.split(" "):
                key, eq, value = item.partition("=")
                if not eq:
                    continue
                if key == "address":
                    address = parse_iterator(value, iterator)
                elif key in ("size", "min", "max"):
                    common[key] = int(value)
            if n == 0:
                inherited[f] = dict(common)
            if address is not None:
                out.append((address, max(1, common["size"]), common["min"], common["max"]))
    return out


def check_layout(layout, memory, tables, sizes):
    """Problems of one layout, as text lines; sizes collects address -> size
    of the parameters wider than a byte."""
    problems = []
    for section in layout.sections:
        iterators = list(section.iterators) if section.iterators is not None else [-1]
        for element in section.items:
            for iterator in iterators:
                where = "%s %s[%s] (iterator %d)" % (section.name, element.tag, element.get("title", ""),
                                                     iterator)
                for text in (element.get("address"), element.get("low"), element.get("high")):
                    if text and has_iterator(text) and iterator < 0:
                        problems.append(where + ": an iterator in a panel without one")
                try:
                    claims = element_claims(element, iterator)
                except ValueError as e:
                    problems.append("%s: %s" % (where, e))
                    continue
                for claim in claims:
                    data, why = memory.bytes_at(claim.address, claim.size)
                    if why:
                        problems.append("%s: %s" % (where, why))
                        continue
                    if claim.size > 1:
                        known = sizes.setdefault(claim.address, claim.size)
                        if known != claim.size:
                            problems.append("%s: %06X is %d bytes here, %d elsewhere"
                                            % (where, claim.address, claim.size, known))
                    problem = initial_value_problem(element, claim, value_of(data), tables, iterator)
                    if problem:
                        problems.append("%s: %s" % (where, problem))
    return problems


def initial_value_problem(element, claim, data, tables, iterator):
    """Why the control could not show the initial patch's value, or None."""
    if claim.bit != -1:
        data = (data >> claim.bit) & ((1 << claim.bits) - 1)
    tag = element.tag
    if tag in ("string", "patch", "edit1"):
        return None
    if tag == "eg":
        for address, size, low, high in eg_values(element.get("nodes"), iterator):
            if address == claim.address and not low <= data <= high:
                return "initial value %d outside %d..%d" % (data, low, high)
        return None
    if tag == "check":
        return None if data in (0, 1) else "initial value %d is no switch" % data
    items = element.get("items")
    low = attr_int(element, "min", 0)
    if items:
        values = tables.values(items)
        if values is None:
            return "no table " + items
        if data not in values:
            return "initial value %d is no entry of %s" % (data, items)
        index = values.index(data)
        high = attr_int(element, "max", len(values) - 1)
        return None if low <= index <= high else "initial entry %d outside %d..%d" % (index, low, high)
    high = attr_int(element, "max", (1 << (7 * claim.size)) - 1)
    return None if low <= data <= high else "initial value %d outside %d..%d" % (data, low, high)
