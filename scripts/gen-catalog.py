#!/usr/bin/env python3
"""Rewrites the Shift_JIS bytes of every message in runtime/msgCatalog.def from its readable
UTF-8 text. Each entry reads

    QV_MSG(szName, u8"readable text",
           "the same text as Shift_JIS (code page 932) bytes, written as escapes")

Edit the readable text, then run: python3 scripts/gen-catalog.py
The escapes make the catalogue's bytes the same from every compiler; a unit test checks that
they still match the readable texts."""
import os
import re
import sys

here = os.path.dirname(os.path.abspath(__file__))
path = os.path.join(here, "..", "runtime", "msgCatalog.def")

ENTRY = re.compile(r'(QV_MSG\(\s*(\w+),\s*)((?:u8"(?:[^"\\]|\\.)*"\s*)+),(\s*)((?:"(?:[^"\\]|\\.)*"\s*)+)\)', re.S)
LIT = re.compile(r'u8"((?:[^"\\]|\\.)*)"', re.S)


def unescape(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == "\\":
            n = s[i + 1]
            out.append({"n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'"}[n])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def escape(b):
    out, pending_hex = [], False
    for byte in b:
        ch = chr(byte)
        if byte == 0x0A:
            out.append("\\n"); pending_hex = False
        elif byte == 0x09:
            out.append("\\t"); pending_hex = False
        elif ch in '"\\':
            out.append("\\" + ch); pending_hex = False
        elif 0x20 <= byte < 0x7F:
            # A hex escape swallows every hex digit after it: close the literal first.
            if pending_hex and ch in "0123456789abcdefABCDEF":
                out.append('""')
            out.append(ch); pending_hex = False
        else:
            out.append("\\x%02X" % byte); pending_hex = True
    return "".join(out)


def regenerate(m):
    text = "".join(unescape(t) for t in LIT.findall(m.group(3)))
    sjis = text.encode("cp932")
    parts, line = [], b""
    # One output literal per line of the message, so the bytes stay readable beside the text.
    for piece in re.split(rb"(?<=\n)", sjis):
        if piece:
            parts.append('"' + escape(piece) + '"')
    indent = m.group(4)
    return m.group(1) + m.group(3).rstrip() + "," + indent + indent.join(parts) + ")"


def main():
    src = open(path, encoding="utf-8").read()
    new, n = ENTRY.subn(regenerate, src)
    if new != src:
        open(path, "w", encoding="utf-8", newline="\n").write(new)
    print("%d messages" % n, file=sys.stderr)


if __name__ == "__main__":
    main()
