#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets in OUTDIR/<target>/ from the test data (tests/data,
and the directory QUORVA_EXTRA_CORPUS names, if any) and from the string literals of the unit
tests. Usage: seeds.py OUTDIR. Nothing of it goes into the repository."""
import hashlib
import os
import re
import sys

MAX_SEED = 16384  # bytes; longer pieces are cut at a line end
repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
out_dir = sys.argv[1]
roots = [os.path.join(repo, "tests", "data")] + [d for d in [os.environ.get("QUORVA_EXTRA_CORPUS")] if d]


def files_of(sub):
    """The files of a kind (sql, plsql, enc, tkprof, trace); UTF-16 files are no statements."""
    for root in roots:
        d = os.path.join(root, sub)
        for name in sorted(os.listdir(d)) if os.path.isdir(d) else []:
            data = open(os.path.join(d, name), "rb").read()
            if not data.startswith((b"\xff\xfe", b"\xfe\xff")):
                yield data.replace(b"\r\n", b"\n")


def cut(b):
    end = b.rfind(b"\n", 0, MAX_SEED)
    return b if len(b) <= MAX_SEED else b[: end + 1 if end > 0 else MAX_SEED]


def statements(text):
    """The text whole, and split at lines that hold only a slash."""
    yield cut(text)
    yield from (cut(p) for p in re.split(rb"\n[ \t]*/[ \t]*\n", text) if p.strip())


def windows(text, lines=200):
    """A report or trace file in windows of lines, so that each seed holds a few statements."""
    ls = text.split(b"\n")
    for i in range(0, len(ls), lines):
        yield cut(b"\n".join(ls[i : i + lines + 20]))


ESCAPES = {b"n": b"\n", b"t": b"\t", b"r": b"\r", b"0": b"\0", b"\\": b"\\", b'"': b'"', b"'": b"'"}


def unescape(s):
    def one(m):
        e = m.group(1)
        return bytes([int(e[1:], 16)]) if e[:1] == b"x" else ESCAPES.get(e, e)
    return re.sub(rb"\\(x[0-9a-fA-F]{1,2}|.)", one, s)


def test_literals(*names):
    """Adjacent string literals of a unit test joined: the texts of the tests' tables."""
    for name in names:
        src = open(os.path.join(repo, "tests", "unit", name), "rb").read()
        for m in re.finditer(rb'(?:"(?:[^"\\\n]|\\.)*"\s*)+', src):
            lit = b"".join(unescape(x) for x in re.findall(rb'"((?:[^"\\\n]|\\.)*)"', m.group(0)))
            if len(lit) >= 3:
                yield lit


def opt_prefix(b):
    # -i, -c, -s, -j bytes of the options target: mostly the defaults' neighbourhood.
    h = hashlib.sha1(b).digest()
    return bytes([h[0] % 34, 18 if h[1] & 1 else h[1] & 0x7F, 54 if h[2] & 1 else h[2] & 0x7F,
                  0x40 if h[3] & 3 else 0x87])


def write(target, blobs):
    d = os.path.join(out_dir, target)
    os.makedirs(d, exist_ok=True)
    for b in blobs:
        with open(os.path.join(d, hashlib.sha1(b).hexdigest()), "wb") as f:
            f.write(b)
    print("%s: %d seeds in %s" % (target, len(os.listdir(d)), d))


scripts = [s for sub in ("sql", "plsql", "enc") for f in files_of(sub) for s in statements(f)]
scripts += list(test_literals("fmtStmtTest.cpp", "fmtLexTest.cpp"))
reports = [w for f in files_of("tkprof") for w in windows(f)]
traces = [w for f in files_of("trace") for w in windows(f)]
extract_tests = list(test_literals("fileModeTest.cpp"))

write("fuzzFmtStmt", scripts)
write("fuzzFmtStmtOpts", [opt_prefix(s) + s for s in scripts])
write("fuzzJoinChunk", [bytes([0x7F if len(s) & 1 else 0x87]) + s for s in scripts])
write("fuzzExtract", [bytes([b]) + w for w in reports for b in (0, 4)] +
      [bytes([b]) + w for w in traces for b in (1, 5)] + [bytes([i]) + t for t in extract_tests for i in (0, 1, 4, 5)])
write("fuzzReplaceStr", [s.replace(b"\n", b"\r\n") if len(s) & 1 else s for s in scripts[:200]] +
      list(test_literals("clipBoardTest.cpp")))
