#!/usr/bin/env python3
"""Writes the instrument's initial patches as raw bulk dump files.

Reads tools/data/init_ES.txt (its form is described at its top) and writes one
file per patch type, <type>.syx: the type's bulk dump messages in order, each
F0 43 00 7F 00 <count high> <count low> <address high mid low> <data>
<checksum> F7, with device number 0 and no bulk header or footer around them.

Usage: gen_init_dumps.py [output folder]   (default: resources/vesk/data/init
of this script's repository)
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "tools", "data", "init_ES.txt")
TYPES = ["voice", "drum", "plg", "performance", "mix", "master"]


class SourceError(Exception):
    pass


def bulk_dump(address, data):
    """One bulk dump message: size in two 7-bit bytes, address, data and a
    checksum that makes everything from the size to the checksum add up to a
    multiple of 128."""
    size = len(data)
    if size >= 128 * 128:
        raise SourceError("block 0x%06X holds %d bytes, more than a message can count" % (address, size))
    body = [size >> 7, size & 0x7F, (address >> 16) & 0x7F, (address >> 8) & 0x7F, address & 0x7F] + data
    checksum = (-sum(body)) & 0x7F
    return bytes([0xF0, 0x43, 0x00, 0x7F, 0x00] + body + [checksum, 0xF7])


def byte_value(token, variables):
    if token.startswith("$"):
        name = token[1:]
        if name not in variables:
            raise SourceError("unknown loop variable %s" % token)
        value = variables[name]
    elif re.fullmatch(r"[0-9A-Fa-f]{2}", token):
        value = int(token, 16)
    else:
        raise SourceError("not a data byte: %s" % token)
    if not 0 <= value < 0x80:
        raise SourceError("data byte out of range: %s" % token)
    return value


def expand(token, variables):
    """A run "N*XX" or a single byte."""
    if "*" in token:
        count, _, value = token.partition("*")
        if not count.isdigit():
            raise SourceError("bad run: %s" % token)
        return [byte_value(value, variables)] * int(count)
    return [byte_value(token, variables)]


def parse_items(text, defs, variables):
    base, _, edits = text.partition("|")
    data = []
    for token in base.split():
        if token.startswith("@"):
            if token[1:] not in defs:
                raise SourceError("unknown block %s" % token)
            data += defs[token[1:]]
        else:
            data += expand(token, variables)
    pos = None
    for token in edits.split():
        if ":" in token:
            where, _, token = token.partition(":")
            if not where.isdigit():
                raise SourceError("bad edit position: %s" % where)
            pos = int(where)
        if pos is None:
            raise SourceError("an edit needs a position first: %s" % token)
        for value in expand(token, variables):
            if pos >= len(data):
                raise SourceError("edit past the end of the block at %d" % pos)
            data[pos] = value
            pos += 1
    return data


def guard_holds(guard, variables):
    m = re.fullmatch(r"(\w+)([=>])(\d+)", guard)
    if not m or m.group(1) not in variables:
        raise SourceError("bad condition [%s]" % guard)
    value, limit = variables[m.group(1)], int(m.group(3))
    return value == limit if m.group(2) == "=" else value > limit


def parse(lines):
    """The messages of each type, as (address, data) pairs in order."""
    defs = {}
    messages = {}
    current = None
    loop = None  # (variable, first, last, step, body lines) while inside "each"

    def message_line(text, variables, offset):
        guard = re.match(r"\[([^\]]*)\]\s*", text)
        if guard:
            if not guard_holds(guard.group(1), variables):
                return
            text = text[guard.end():]
        address, _, items = text.partition(" ")
        if current is None:
            raise SourceError("a message outside a type")
        messages[current].append((int(address, 16) + offset, parse_items(items, defs, variables)))

    for number, raw in enumerate(lines, 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        try:
            if loop is not None and line != "end":
                loop[4].append(line)
            elif line == "end":
                if loop is None:
                    raise SourceError('"end" without "each"')
                variable, first, last, step, body = loop
                loop = None
                for value in range(first, last + 1):
                    for text in body:
                        message_line(text, {variable: value}, value * step)
            elif line.startswith("def "):
                m = re.fullmatch(r"def\s+(\w+)\s*=\s*(.*)", line)
                if not m:
                    raise SourceError("bad def")
                defs[m.group(1)] = parse_items(m.group(2), defs, {})
            elif line.startswith("type "):
                current = line.split()[1]
                if current not in TYPES or current in messages:
                    raise SourceError("unknown or repeated type %s" % current)
                messages[current] = []
            elif line.startswith("each "):
                m = re.fullmatch(r"each\s+(\w+)\s+(\d+)\.\.(\d+)\s+(0x[0-9A-Fa-f]+)", line)
                if not m:
                    raise SourceError("bad each")
                loop = (m.group(1), int(m.group(2)), int(m.group(3)), int(m.group(4), 16), [])
            else:
                message_line(line, {}, 0)
        except (SourceError, ValueError) as e:
            raise SourceError("line %d: %s" % (number, e))
    if loop is not None:
        raise SourceError('"each" without "end"')
    missing = [t for t in TYPES if t not in messages]
    if missing:
        raise SourceError("no messages for %s" % ", ".join(missing))
    return messages


def write_atomically(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) > 2:
        sys.stderr.write(__doc__)
        return 2
    out = argv[1] if len(argv) == 2 else os.path.join(ROOT, "resources", "vesk", "data", "init")
    try:
        with open(SOURCE, encoding="ascii") as f:
            messages = parse(f.read().splitlines())
        dumps = {t: b"".join(bulk_dump(a, d) for a, d in messages[t]) for t in TYPES}
    except (OSError, SourceError) as e:
        sys.stderr.write("%s: %s\n" % (SOURCE, e))
        return 1
    os.makedirs(out, exist_ok=True)
    for t in TYPES:
        write_atomically(os.path.join(out, t + ".syx"), dumps[t])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
