#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets in OUTDIR/<target>/ from the shared corpus of
real SQL, PL/SQL, TKPROF and trace files and from the string literals of the unit tests.
Usage: seeds.py OUTDIR [CORPUS_DIR]. Nothing of it goes into the repository."""
import hashlib
import os
import re
import sys

MAX_SEED = 16384  # bytes; longer pieces are cut at a line end

here = os.path.dirname(os.path.abspath(__file__))
repo = os.path.dirname(here)
out_dir = sys.argv[1]
corpus = sys.argv[2] if len(sys.argv) > 2 else os.path.join(repo, "..", "shared", "corpus")


def files_of(sub):
    root = os.path.join(corpus, sub)
    if not os.path.isdir(root):
        return []
    return sorted(os.path.join(root, n) for n in os.listdir(root) if os.path.isfile(os.path.join(root, n)))


def read(path):
    with open(path, "rb") as f:
        return f.read().replace(b"\r\n", b"\n")


def cut(b):
    if len(b) <= MAX_SEED:
        return b
    end = b.rfind(b"\n", 0, MAX_SEED)
    return b[: end + 1 if end > 0 else MAX_SEED]


def statements(text):
    """The text split at lines that hold only a slash, and as far as it goes whole."""
    parts = re.split(rb"\n[ \t]*/[ \t]*\n", text)
    yield cut(text)
    for p in parts:
        if p.strip():
            yield cut(p)


def windows(text, lines=200):
    """A report or trace file in windows of lines, so that each seed holds a few statements."""
    ls = text.split(b"\n")
    for i in range(0, len(ls), lines):
        yield cut(b"\n".join(ls[i : i + lines + 20]))


C_LIT = re.compile(rb'"((?:[^"\\\n]|\\.)*)"')


def unescape(s):
    out = bytearray()
    i = 0
    simple = {b"n": 10, b"t": 9, b"r": 13, b"0": 0, b"\\": 92, b'"': 34, b"'": 39, b"a": 7, b"b": 8, b"f": 12, b"v": 11}
    while i < len(s):
        c = s[i : i + 1]
        if c != b"\\":
            out += c
            i += 1
            continue
        n = s[i + 1 : i + 2]
        if n == b"x":
            m = re.match(rb"[0-9a-fA-F]{1,2}", s[i + 2 :])
            out.append(int(m.group(0), 16) if m else 0)
            i += 2 + (len(m.group(0)) if m else 0)
        elif n in simple:
            out.append(simple[n])
            i += 2
        else:
            out += n
            i += 2
    return bytes(out)


def test_literals(names):
    """Adjacent string literals of a test file joined: the statements of the tests' tables."""
    for name in names:
        path = os.path.join(repo, "tests", "unit", name)
        if not os.path.isfile(path):
            continue
        src = open(path, "rb").read()
        for m in re.finditer(rb'(?:"(?:[^"\\\n]|\\.)*"\s*)+', src):
            lit = b"".join(unescape(x) for x in C_LIT.findall(m.group(0)))
            if len(lit) >= 3:
                yield lit


def opt_prefix(b):
    # -i, -c, -s, -j bytes of the options target: mostly the defaults' neighbourhood.
    h = hashlib.sha1(b).digest()
    return bytes([h[0] % 34, (14 + 4) if h[1] & 1 else h[1] & 0x7F, (50 + 4) if h[2] & 1 else h[2] & 0x7F, 0x40 if h[3] & 3 else 0x87])


def write(target, blobs):
    d = os.path.join(out_dir, target)
    os.makedirs(d, exist_ok=True)
    n = 0
    for b in blobs:
        if not b:
            continue
        name = hashlib.sha1(b).hexdigest()
        p = os.path.join(d, name)
        if not os.path.exists(p):
            with open(p, "wb") as f:
                f.write(b)
            n += 1
    print("%s: %d new seeds in %s" % (target, n, d))


scripts = [s for sub in ("sql", "plsql") for f in files_of(sub) for s in statements(read(f))]
fmt_tests = list(test_literals(["fmtNormTest.cpp", "fmtChunkTest.cpp", "fmtLexTest.cpp", "fmtLayoutTest.cpp", "fmtStmtTest.cpp"]))
tk = [w for f in files_of("tkprof") for w in windows(read(f))]
tr = [w for f in files_of("trace") for w in windows(read(f))]
ext_tests = list(test_literals(["extractTest.cpp", "fileModeTest.cpp"]))

write("fuzzFmtStmt", scripts + fmt_tests)
write("fuzzFmtStmtOpts", [opt_prefix(s) + s for s in scripts + fmt_tests])
write("fuzzExtract", [bytes([b]) + w for w in tk for b in (0, 4)] + [bytes([b]) + w for w in tr for b in (1, 5)] +
      [bytes([i]) + t for t in ext_tests for i in (0, 1, 4, 5)])
write("fuzzJoinChunk", [bytes([0x7F if len(s) & 1 else 0x87]) + s for s in scripts + fmt_tests])
write("fuzzReplaceStr", [s.replace(b"\n", b"\r\n") if len(s) & 1 else s for s in scripts[:200]] +
      list(test_literals(["replaceStrTest.cpp", "clipBoardTest.cpp"])))
