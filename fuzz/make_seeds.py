#!/usr/bin/env python3
"""Writes the seed inputs of every fuzz target into fuzz/corpus/<target>/.

The seeds are small inputs written for the purpose: one or two of each kind a
target reads, so that a short run starts from every branch of its format.
Run it again after changing a target's input layout; the fuzzer itself never
writes here.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
import gen_audio_fixtures  # noqa: E402  (the audio tests' fixture script)
import gen_instrument_fixtures  # noqa: E402  (the instrument files' fixture script)

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


class Provider:
    """Lays out values the way libFuzzer's FuzzedDataProvider takes them:
    byte runs and strings from the front, numbers from the back."""

    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order the numbers are taken

    def number(self, lo, hi, value):
        span, v, count = hi - lo, value - lo, 0
        while count < 8 and (span >> (8 * count)) > 0:
            count += 1
        self.back += v.to_bytes(count, "big")
        return self

    def u8(self, v):
        return self.number(0, 255, v)

    def flag(self, b):
        return self.u8(1 if b else 0)

    def int32(self, v):
        return self.number(-(1 << 31), (1 << 31) - 1, v)

    def uint32(self, v):
        return self.number(0, (1 << 32) - 1, v)

    def raw(self, b):
        self.front += b
        return self

    def string(self, s):
        # A lone backslash ends the string; a doubled one is a backslash.
        self.front += s.replace(b"\\", b"\\\\") + b"\\e"
        return self

    def data(self):
        return bytes(self.front) + bytes(reversed(self.back))


def test_dump(address, data):
    """A bulk dump of the test instrument: size, address, data, checksum."""
    body = bytes([len(data) >> 7, len(data) & 0x7F, address >> 16 & 0xFF, address >> 8 & 0xFF,
                  address & 0xFF]) + bytes(data)
    return bytes([0xF0, 0x43, 0x00, 0x7F, 0x00]) + body + bytes([(-sum(body)) & 0x7F, 0xF7])


def stored(messages, comment=None):
    raw = b"".join(messages)
    out = struct.pack(">i", len(raw)) + raw
    if comment is not None:
        text = comment.encode("utf-8")
        out += struct.pack(">I", len(text)) + text
    return out


def ini_text(*lines):
    return ("\n".join(lines) + "\n").encode("latin-1")


def native_file(header, chunks, listed=None):
    """chunks: (tag, size, header length or None, content length); listed:
    catalogue order as indexes (default: file order)."""
    out = bytearray(512)
    out[0:len(header)] = header
    out[16:24] = b"SEEDFILE"
    offsets = []
    for tag, size, hlen, length in chunks:
        offsets.append(len(out))
        chunk = bytearray((i * 7 + 3) & 0xFF for i in range(length))
        chunk[0:4] = tag
        chunk[4:8] = struct.pack(">I", size)
        if hlen is not None:
            chunk[40:44] = struct.pack(">I", hlen)
        out += chunk
    for slot, i in enumerate(listed if listed is not None else range(len(chunks))):
        at = 128 + 8 * slot
        out[at:at + 4] = chunks[i][0]
        out[at + 4:at + 8] = struct.pack(">I", offsets[i])
    return bytes(out)


def vsfc_file(chunks, version=b"1.0.0", listed=None):
    """An XS-family container: chunks are (tag, [item bodies]); listed is the
    catalogue order as indexes (default: file order)."""
    header = b"VESK-VSFC".ljust(16, b"\0") + version.ljust(16, b"\0")
    order = listed if listed is not None else list(range(len(chunks)))
    header += struct.pack(">I", 8 * len(order)) + b"\xff" * 28
    at = len(header) + 8 * len(order)
    offsets, body = [], b""
    for tag, items in chunks:
        offsets.append(at + len(body))
        mark = b"Data" if tag.startswith(b"D") else b"Entr"
        content = struct.pack(">I", len(items)) + b"".join(mark + item for item in items)
        body += tag + struct.pack(">I", len(content)) + content
    for i in order:
        header += chunks[i][0] + struct.pack(">I", offsets[i])
    return header + body


def sized(body):
    return struct.pack(">I", len(body)) + body


def xs_text(text):
    return sized(text.encode("utf-8"))


def xs_entry(number, name, filename, related=(), xf=False):
    fixed = struct.pack(">5I", 0, 100, 0, 12, number) + (b"\x01" if xf else b"") + b"\x00"
    return sized(fixed + xs_text(name) + xs_text(filename) + b"".join(xs_text(r) for r in related))


def xs_keybank(channels, fmt=0):
    record = bytes([0, 127, 1, 127, 127, 64, 0, 0, 60, 64, 64, channels, 0, 0, fmt, 0, 0, 0, 0, 0xFF])
    return record + bytes(12) + struct.pack("<9I", 44100, 0, 0, 4, 4, 0x40000000, 0, 0xC00A9A34, 0xFFFFFFFF)


def xs_waveform_items(pitch, banks):
    """The DWFM and DWIM item bodies of keybanks given as (channels, left, right)."""
    table = struct.pack("<HH", len(banks), pitch) + b"".join(xs_keybank(c) for c, _, _ in banks)
    samples = struct.pack(">I", sum(2 if c > 1 else 1 for c, _, _ in banks))
    for c, left, right in banks:
        samples += sized(left) + (sized(right) if c > 1 else b"")
    return sized(table), sized(samples)


def xs_voice_data(name, elements):
    data = bytearray()
    for size in (124, 168, 48, 48):
        data += sized(bytes(size))
    data[4:24] = name.ljust(20).encode("latin-1")
    data += struct.pack(">I", len(elements))
    for memory, number in elements:
        element = bytearray(sized(bytes(140)))
        element[4], element[5] = 1, memory
        element[140:142] = struct.pack("<H", number)
        data += element
    return bytes(data)


def seeds():
    s = {}

    # Receive assembly: packets of a length (low 6 bits) and bytes; the top
    # bit repeats a packet.
    def packets(*items):
        p = Provider()
        for item in items:
            data, repeats = item if isinstance(item, tuple) else (item, 1)
            control = len(data) | (0x80 if repeats > 1 else 0)
            p.u8(control)
            if repeats > 1:
                p.u8(repeats - 1)
            p.raw(data)
        return p.data()

    s["receive"] = {
        "short_messages": packets(bytes([0x90, 0x3C, 0x40, 0x80, 0x3C, 0x00]), bytes([0xC0, 0x05]),
                                  bytes([0xB0, 0x07, 0x64, 0x10, 0x20]), bytes([0xFE]), bytes([0xF8])),
        "sysex_over_packets": packets(bytes([0xF0, 0x43, 0x10, 0x7F]), bytes([0x00, 0x30, 0xF8, 0x00]),
                                      bytes([0x01, 0x05, 0xF7, 0x90, 0x3C])),
        "sysex_cut_by_status": packets(bytes([0xF0, 0x7E, 0x7F, 0x06]), bytes([0xB0, 0x00, 0x3F, 0xF7])),
        "sysex_past_the_limit": packets(bytes([0xF0]), *[(bytes(range(0x20, 0x5F)), 256)] * 5,
                                        bytes([0x01, 0xF7, 0xF0, 0x01, 0xF7])),
    }

    # Sysex: mode, a message, operations; or the formatter.
    dump = test_dump(0x100000, b"Init Voice\x00\x01\x02\x03\x04\x05")
    p = Provider().u8(0).number(0, 300, len(dump)).raw(dump)
    for kind, pos, count in ((0, 3, 1), (4, 0, 10), (7, 0, 0)):
        p.number(-4, 300, pos).number(-4, 300, count).number(0, 7, kind)
        if kind == 0:
            p.int32(0x90)
        if kind == 4:
            p.number(-4, 8, 2)
    other = test_dump(0x100000, b"\x10\x90\xFF\x7F")
    p.number(-4, 300, -1).number(-4, 300, -1).number(0, 7, 1).number(0, 300, len(other)).raw(other)
    p.number(-4, 300, 0).number(-4, 300, 3).number(0, 7, 3).string(b"Piano")
    p.number(-4, 300, 0).number(-4, 300, 0).number(0, 7, 5).uint32(0x100003).number(-2, 40, 2).flag(False)
    p.flag(False).int32(300)
    change = bytes([0xF0, 0x43, 0x10, 0x7F, 0x00, 0x10, 0x00, 0x0C, 0x01, 0x48, 0xF7])
    q = Provider().u8(0).number(0, 300, len(change)).raw(change)
    q.number(-4, 300, 1).number(-4, 300, 2).number(0, 7, 2).raw(b"\x81\x02").number(-4, 300, 0)
    q.number(-4, 300, 0).number(-4, 300, 0).number(0, 7, 6).uint32(0x200000)
    s["sysex"] = {
        "bulk_dump_operations": p.data(),
        "parameter_change": q.data(),
        "template_bulk": Provider().u8(1).string(b"F0 43 00 %M #2 %A3 %D *5 F7").number(0, 4, 3)
        .flag(False).string(b"7F 00").flag(True).uint32(0x100000).flag(False).string(b"01 02 03").data(),
        "template_odd_codes": Provider().u8(1).string(b"F0 %A %Q #x *9 %A9 F7").number(0, 4, 2)
        .flag(True).uint32(0xFFFFFFFF).flag(False).string(b"zz").data(),
    }

    # Bulk and patch dumps: mode byte, then the stream.
    header = test_dump(0x0E0000, b"")
    footer = test_dump(0x0F0000, b"")
    voice = [test_dump(0x100000, b"Grand     \x03\x00\x00\x00\x00\x00"),
             test_dump(0x100100, b"\x40" * 8), test_dump(0x100200, b"\x7F\x7F\x7F\x7F")]
    s["bulkdump"] = {
        "raw_block": b"\x00" + header + b"\x00\x01" + b"".join(voice) + footer + b"\xF0\x43",
        "raw_keep_invalid": b"\x05" + b"\xF0\x01\xF7" + voice[1],
        "stored_bulk": b"\x01" + stored(voice),
        "stored_patch_same_model": b"\x03" + stored(voice, "a comment"),
        "stored_patch_other_model": b"\x04" + stored([test_dump(0x100000, b"Odd\x90\xFF" + b"\x00" * 11),
                                                       voice[2]], ""),
        "stored_patch_cut": b"\x02" + stored(voice)[:-7],
    }

    # Library files: a mode byte (even: bank groups, odd: type groups), then
    # the file: the model, then records of a bank word or a name, a count and
    # stored dumps.
    def text(t):
        b = t.encode("utf-8")
        return struct.pack(">I", len(b)) + b

    def bank_record(word, dumps):
        return struct.pack(">Hi", word, len(dumps)) + b"".join(dumps)

    def type_record(name, dumps):
        return text(name) + struct.pack(">i", len(dumps)) + b"".join(dumps)

    ours = text("Test Instrument")
    empty_slot = stored([], "")
    s["library"] = {
        "banks": b"\x00" + ours + bank_record(0x3F28, [stored(voice[:1], "kit")])
        + bank_record(0x3F08, [stored(voice, "a comment"), empty_slot, stored(voice, "")] + [empty_slot] * 6)
        + bank_record(0x1234, [empty_slot]),
        "types": b"\x01" + ours + type_record("Voices", [stored(voice, "old name")])
        + type_record("Normal Voices", [stored(voice, ""), empty_slot])
        + type_record("Drum Kits", [stored([test_dump(0x200000, b"\x00" * 12)], "")]),
        "other_model": b"\x01" + text("Other Model") + type_record("Normal Voices", [
            stored(voice, "kept"), stored([test_dump(0x300000, b"\x01")], "lost"), stored(voice, "")]),
        "junk_between_messages": b"\x00" + ours + bank_record(0x3F08, [
            stored([b"\x01\x02", voice[0], b"\xF0\x43"], "")]),
        "cut_short": b"\x00" + (ours + bank_record(0x3F08, [stored(voice, "c")]))[:-3],
        "count_too_large": b"\x01" + ours + text("Drum Kits") + struct.pack(">i", 0x7FFFFFFF),
    }

    # Archive: script length, (kind, argument) pairs, then the stream.
    script = bytes([0, 0, 1, 0, 2, 0, 4, 3, 5, 0, 6, 0, 7, 5, 8, 0, 9, 0, 11, 0, 12, 4, 13, 2, 14, 120,
                    10, 3, 15, 9, 16, 0, 3, 0])
    stream = (b"\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A" + struct.pack(">d", 1.5)[:6] +
              b"\x03abc" + b"RIFF\x00" + b"\x81\x80\x00" + struct.pack(">I", 3) + b"xyz" +
              struct.pack(">I", 4) + "é☃".encode("utf-8")[:4] + b"\xF0\x43\x00\xF7" + b"tail")
    s["archive"] = {
        "every_read": bytes([len(script)]) + script + stream,
        "lengths_past_the_end": bytes([6, 9, 0, 11, 0, 6, 0]) + b"\xFF\xFF\xFF\xF0\x00",
    }

    device_ini = ini_text(
        "; device data", "[BANKS]", "Ridev=3", "Size=2", "0=63,0,PRESET1", "1=63,8,USER1",
        "2=3F10,USER2", "[PRESET1]", "Ridev=4", "0=Grand", "1=Bright", "3=---",
        "[WAVES]", "Ridev=4", "Hex=1", "0=0A,Wave|Piano", "1=1F,Wave|Strings", "2=FF", "3=x",
        "[PLG]", "Ridev=2", "Name=Board", "0=1,2,One", "1=3,4,Two", "[TABLE]", "Ridev=3",
        "0=off", "[Escapes \\] here]", "\\;key\\s=\\svalue \\n next\\\\", "a\\=b=c", "k=v=w")
    s["inifile"] = {
        "device_data": device_ini,
        "groups_and_crlf": b"\xEF\xBB\xBF.Patch Names\r\n[Pianos]\r\n0=Grand\r\n.Instrument Definitions\r\n"
                           b"[Model X]\r\nPatch[0]=Pianos\r\n[unclosed\r\nlost=1\r\n[]\r\n=empty key\r\n",
        "latin1": b"[Caf\xE9]\nna\xEFve=1\n",
    }
    s["devicetable"] = {"device_data": device_ini, "tokens": b"off|on||Reverb|Hall"}

    ins = ini_text(".Patch Names", "[Pianos]", "0=Grand", "1=Upright", "127=Last", "[Strings]", "0=Ensemble",
                   ".Instrument Definitions", "[Model X]", "Patch[0]=Pianos", "Patch[129]=Strings",
                   "Patch[*]=1..128", "Patch[-1]=None", "Patch[99999]=Wrapped", "[Model Y]", "Patch[3]=Missing")
    s["insfile"] = {
        "named_model": bytes([7]) + b"Model X" + ins,
        "only_model": bytes([0]) + ini_text(".Instrument Definitions", "[Solo]", "Patch[256]=Names",
                                            ".Patch Names", "[Names]", "0=One"),
        "unknown_model": bytes([5]) + b"Other" + ins,
    }

    panel = (b'<?xml version="1.0"?>\n<!-- hand written & kept -->\n<panel name="Voice" title="&Edit">\n'
             b'  <tab title="A &amp; B &#65;&#x42;"><label value="0x28" note="&lt;x&gt;"/>'
             b'<text><![CDATA[& <raw>]]></text></tab>\n  <?pi data?>\n</panel>\n')
    s["xml"] = {
        "panel": panel,
        "doctype_subset": b"<!DOCTYPE p [<!ENTITY e 'E'>]><p a='&e; & b'>&e;</p>",
        "doctypes_and_ampersand": b"<r t='&'/>" + b"<!DOCTYPE r>" * 8,
        "utf16": b"\xFF\xFE" + "<p a='&x'>ü</p>".encode("utf-16-le"),
        "declared_encoding": b"<?xml version='1.0' encoding='ISO-8859-1'?><p a='\xE9 &'/>",
    }

    # Panel layouts: every element kind, templates and includes, tabbed
    # rows, sub-sections picked by value.
    every_element = b"""<section title="Editor">
  <section name="Common" title="Common" copypaste="1">
    <header title="General"/>
    <label title="Type" tip="Voice type"/>
    <edit title="&Volume" address="300010" default="100" request="2" enable="Mode" enable_values="1|2"/>
    <combo title="Mode" address="300011" items="off|on|auto" group="2"/>
    <edit title="Tempo" tempo="1" address="300028" size="2" min="1" max="300" default="120"/>
    <edit title="Key" address="300029" piano="1" note="1" image="core:save.png"/>
    <edit title="Depth" address="30002A" nibbles="1" size="2" divide="10" multi="2" metric="%" numbers="2"/>
    <range title="Key Range" low="300012" high="300013" items="0|1|2|3" note="1" width="91"/>
    <string title="Name" address="300000" chars="10"/>
    <patch title="&amp;Number" width="72" no_names="1" bold="1" banks="VOICES" reverse="1"/>
    <check title="Monitor" key="F8" address="300014" bit="3" bits="2"/>
    <check title="S" solo="1" part="1x"/>
    <button title="Edit..." section="Effects" subsection="value" flag="insfx" address="300030"/>
    <eg title="AEG" nodes="Init;INIT;;address=3000xx min=0 max=127|Attack;ATK;address=300020;address=300021"/>
    <br height="7"/><sep width="10"/><separator/><p/><col/><column/>
    <edit1 title="Disabled"><check title="Inside" address="300015"/></edit1>
    <edit title="Pan" address="300016" min="1" offset="-64" width="46" header="1" condition="insfx"/>
    <edit title="Indexed" index="3" controller="7" channel="xx"/>
  </section>
</section>
"""
    templates = b"""<section>
  <section name="Main" title="Main">
    <include template="Strip"/><include template="Strip" condition="never"/>
    <include template="Loop"/><include template="Missing"/><include template=""/>
    <include template="D0"/>
  </section>
  <template name="Strip"><check title="M" mute="1" part="xx"/><include template="Knob"/></template>
  <template name="Knob"><edit title="Level" address="31xx01"/><tab title="Inner"/></template>
  <template name="Loop"><label title="once"/><include template="Back"/></template>
  <template name="Back"><include template="Loop"/></template>
  <template name="D0"><include template="D1"/><include template="D1"/></template>
  <template name="D1"><include template="D2"/><include template="D2"/></template>
  <template name="D2"><include template="D3"/><include template="D3"/></template>
  <template name="D3"><sep/><col/></template>
</section>
"""
    rows = b"""<section title="Parts">
  <section name="Part" title="Pxx" type="Part" offset="1">
    <check title="Use" use="1" address="31xx00"/>
    <tab title="Voice"/>
    <edit title="Volume" address="31xx01" request="1"/>
    <edit title="Pan" address="31xx02" items="L|C|R" offset="-1"/>
    <tab title="Zone"/>
    <range title="Note" low="31xx03" high="31xx04"/>
    <check title="M" mute="1" part="xx" address="31xx05" bit="xx"/>
    <section title="Inner" type="Key" offset="24"/>
  </section>
  <section name="Key" title="AEG" type="Key" offset="24"><edit title="Level" address="47xx00"/></section>
</section>
"""
    effects = b"""<section name="Effects" title="Effect">
  <section value="0100" title="Hall"><edit title="Time" index="0"/><edit title="Mix" index="1" items="DRYWET"/></section>
  <section value="0200" title="Room"><check title="On" index="2" bit="0"/></section>
  <section name="Chooser"><button title="Type" section="Effects" subsection="value"/></section>
</section>
"""
    # Templates including the next one twice, seventeen levels deep: the walk
    # passes the element limit and the load stops (no cells, so it stops
    # fast).
    doubling = b"<section><section name=\"Grow\"><label title=\"a\"/><include template=\"T0\"/></section>" + b"".join(
        b'<template name="T%d"><include template="T%d"/><include template="T%d"/></template>' % (i, i + 1, i + 1)
        for i in range(17)) + b'<template name="T17"/></section>'
    s["panelxml"] = {
        "doubling_templates": doubling,
        "every_element": every_element,
        "templates": templates,
        "tabbed_rows": rows,
        "sub_sections": effects,
    }

    def vesk(message, *params):
        p = Provider().number(0, 400, len(message)).raw(message)
        for address, size, nibbles, value in params:
            p.uint32(address).number(-1, 8, size).flag(nibbles).int32(value)
        return p.data()

    name = b"Init Voice" + bytes([0, 0, 1, 2]) + bytes(range(16, 40))
    s["vesksysex"] = {
        "voice_common": vesk(bytes([0xF0, 0x43, 0x00, 0x7F, 0x00, 0, len(name), 0x40, 0x70, 0x00]) + name +
                             bytes([0x00, 0xF7]), (0x407000, 1, False, 5), (0x40700C, 2, False, 300),
                             (0x407026, 4, True, 0xFFFF)),
        "parameter_change": vesk(bytes([0xF0, 0x43, 0x10, 0x7F, 0x00, 0x30, 0x11, 0x00, 0x0E, 0x40, 0xF7]),
                                 (0x301100, 1, False, 0x740), (0x002100, 2, False, 3)),
        "window": vesk(bytes([0xF0, 0x43, 0x00, 0x7F, 0x00, 0, 4, 0x40, 0x00, 0x40, 1, 2, 3, 4, 0, 0xF7]),
                       (0x400042, 2, False, 64), (0x470A20, 1, False, 1)),
        "request": vesk(bytes([0xF0, 0x43, 0x20, 0x7F, 0x00, 0x0E, 0x40, 0x00, 0xF7]), (0x0E4000, 0, False, 0)),
    }

    s["esdocument"] = {
        "all_kinds": native_file(b"A0745 ALL", [(b"ENVC", 32 + 3 * 32, None, 8), (b"DNVC", 48 + 3 * 20, 48, 108),
                                                (b"EDVC", 64, None, 8), (b"DDVC", 1000, 48, 1000),
                                                (b"DWFM", 60, 48, 60), (b"XTRA", 8, None, 8)]),
        "count_after_data": native_file(b" 8E24", [(b"DPFM", 48 + 2 * 10, 48, 68), (b"EPFM", 96, None, 8)]),
        "count_too_large": native_file(b" 8E57", [(b"EMST", 0x7FFFFFFF, None, 8), (b"DMST", 60, 48, 60)]),
        "offset_outside": native_file(b"A0745", [(b"DNVC", 44, 44, 44)]) + b"",
        "unknown_model": native_file(b"8E57", []),
    }
    # Sample files: the audio tests' fixtures, and RIFF trees of every kind
    # of chunk the tree reader tells apart.
    audio = gen_audio_fixtures.fixtures()
    s["wav"] = {name: data for name, data in audio.items() if name.endswith(".wav")}
    s["wav"]["stereo24_loops"] = gen_audio_fixtures.riff(b"WAVE", [
        gen_audio_fixtures.fmt(2, 48000, 24), (b"data", bytes(range(30))),
        gen_audio_fixtures.smpl(60, [(0, 0, 1, 4, 0, 0)]), gen_audio_fixtures.inst_wav(60, 0, 0, 0, 127, 0, 127)])
    # 24-bit stereo in the extensible form, integer PCM as its sub-format.
    s["wav"]["extensible24"] = gen_audio_fixtures.riff(b"WAVE", [
        (b"fmt ", struct.pack("<HHIIHHHHII", 0xFFFE, 2, 48000, 48000 * 6, 6, 24, 22, 24, 3, 1)
         + bytes.fromhex("000010008000 00AA00389B71")), (b"data", bytes(range(36)))])
    s["aiff"] = {name: data for name, data in audio.items() if ".aif" in name}
    lst = lambda kind, body: (b"LIST", kind + body)
    packed = lambda chunks: b"".join(t + struct.pack("<I", len(b)) + b + b"\0" * (len(b) % 2) for t, b in chunks)
    s["riff"] = {
        "wave": audio["zone.wav"],
        "lists": gen_audio_fixtures.riff(b"sfbk", [
            lst(b"INFO", packed([(b"INAM", b"Bank\0"), (b"LIST", b"text")])),
            lst(b"sdta", packed([(b"smpl", bytes(9))])),
            lst(b"pdta", packed([lst(b"deep", packed([(b"leaf", b"x")]))]))]),
        "oversized": b"RIFF\xff\xff\xff\xffDLS LIST\xff\xff\xff\x7fwvpldata\xf0\xff\xff\xff0123",
    }

    # Instrument files: the multi-sample tests' hand-made banks and program.
    instruments = gen_instrument_fixtures.fixtures()
    for target, folder in (("sf2", "sf2/"), ("dls", "dls/"), ("akp", "akp/")):
        s[target] = {path[len(folder):]: data for path, data in instruments.items()
                     if path.startswith(folder) and not path.endswith(".wav")}

    off = bytearray(s["esdocument"]["offset_outside"])
    off[132:136] = struct.pack(">I", 0xFFFFFFF0)
    s["esdocument"]["offset_outside"] = bytes(off)
    wfm, wim = xs_waveform_items(0, [(1, b"\x01\x02\x03\x04", b""), (2, b"\x05\x06", b"\x07\x08")])
    voice = xs_voice_data("Seed Voice", [(1, 1), (2, 5), (0, 0)])
    model = xs_text("Vesk XS")
    s["xsfile"] = {
        "voices_and_waves": vsfc_file([
            (b"EWFM", [xs_entry(1, "Seed Wave", "0001-Waveform.wfm")]),
            (b"EWIM", [xs_entry(1, "Seed Wave", "0001-Waveform.wim")]),
            (b"DWFM", [wfm]),
            (b"DWIM", [wim]),
            (b"EVCE", [xs_entry(0x3F0800, "0:0:Seed Voice", "3F0800-Voice.vce", ["0001-Waveform.wfm"])]),
            (b"DVCE", [sized(voice)]),
        ]),
        "xf_out_of_order": vsfc_file([
            (b"DVCE", [sized(voice), sized(b"")]),
            (b"EVCE", [xs_entry(0x3F0B7F, "Last", "3F0B7F-Voice.vce", [], True)]),
            (b"EWFM", []),
        ], b"1.0.2", [1, 0, 2]),
        "voice_archive": vsfc_file([(b"XVCE", [model + xs_entry(0x3F2800, "Kit", "3F2800-Voice.vce") +
                                              sized(voice)])]),
        "arp_events": vsfc_file([(b"EARP", [sized(bytes.fromhex("00913C64 05813C 00FF0303") + b"Arp" +
                                                   bytes.fromhex("0AF003417F7F 8100 90"))])]),
        "empty": vsfc_file([], b"2.0.0"),
    }
    # The all-data document reads the same files into its slots.
    s["x0vdocument"] = dict(s["xsfile"])
    return s


def main():
    for target, files in seeds().items():
        folder = os.path.join(CORPUS, target)
        # Inputs kept beside the generated ones (findings turned into seeds)
        # stay: only the files written here are replaced.
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
