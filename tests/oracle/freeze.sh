#!/usr/bin/env bash
# Freezes the formatter as it is now into tests/oracle/engine/, the oracle that the rewritten
# formatter is compared with byte for byte (tests/oracle/oracleTest.cpp). Run it again only to
# mend a fault in the oracle itself: the copy is meant to stay as it is while formatter/ changes.
#
# Every formatter/*.cpp, *.h and *.def but rStmtStyle.h and rStmtStyle.cpp (StmtStyle is the
# callers' type, one for both engines) is copied and rewritten so that both engines link into
# one program: an include of a copied file names the copy, and everything after a file's last
# include line goes into namespace oracle, where a name qualified as global (::pCmtEnd, which
# the formatter writes where a local name hides its own) becomes oracle::pCmtEnd. Includes of a
# .def (the table of words, an X-macro file included inside declarations) do not count as that
# line, and a .def is copied as it is.
# Usage: tests/oracle/freeze.sh   (from anywhere; it works in the repository it lies in)
set -euo pipefail
cd "$(dirname "$0")/../.."
src=formatter
dest=tests/oracle/engine

files=()
for path in "$src"/*.cpp "$src"/*.h "$src"/*.def; do
  f=${path##*/}
  case "$f" in rStmtStyle.*) ;; *) [ -f "$path" ] && files+=("$f") ;; esac
done
[ "${#files[@]}" -gt 0 ] || { echo "no sources in $src" >&2; exit 1; }

rm -rf "$dest"
mkdir -p "$dest"
for f in "${files[@]}"; do
  awk -v name="$f" -v copied=" ${files[*]} " -v dest="$dest" '
    # The includes of copied files name the copy; a .def is included inside declarations.
    function rewrite(line,    m) {
      if (match(line, /^[ \t]*#[ \t]*include[ \t]*"formatter\/[^"]+"/)) {
        m = substr(line, RSTART, RLENGTH)
        sub(/.*"formatter\//, "", m)
        sub(/"$/, "", m)
        if (index(copied, " " m " ") > 0) sub(/"formatter\//, "\"" dest "/", line)
      }
      return line
    }
    # "::name" (not "x::name") names a name of the formatter, which now lies in oracle.
    function unglobal(line,    out, m) {
      out = ""
      while (match(line, /(^|[^A-Za-z0-9_>:])::[A-Za-z_]/)) {
        m = substr(line, RSTART, RLENGTH)
        if (substr(m, 1, 2) == "::") {
          out = out substr(line, 1, RSTART - 1) "oracle::"
          line = substr(line, RSTART + 2)
        } else {
          out = out substr(line, 1, RSTART) "oracle::"
          line = substr(line, RSTART + 3)
        }
      }
      return out line
    }
    { lines[NR] = rewrite($0) }
    /^[ \t]*#[ \t]*include[ \t]*[<"]/ && $0 !~ /\.def"/ { last = NR }
    END {
      print "// Frozen copy of formatter/" name " made by tests/oracle/freeze.sh, which overwrites it."
      if (name ~ /\.def$/) {
        for (i = 1; i <= NR; ++i) print lines[i]
        exit
      }
      for (i = 1; i <= last; ++i) print lines[i]
      print ""
      print "namespace oracle {"
      for (i = last + 1; i <= NR; ++i) print unglobal(lines[i])
      print "}  // namespace oracle"
    }' "$src/$f" >"$dest/$f"
done

# The engine library lists its sources by name: a source the formatter gained must be added.
missing=0
for f in "${files[@]}"; do
  case "$f" in
  *.cpp) grep -q "engine/$f" tests/oracle/CMakeLists.txt || { echo "add engine/$f to tests/oracle/CMakeLists.txt" >&2; missing=1; } ;;
  esac
done
echo "froze ${#files[@]} files of $src into $dest"
exit "$missing"
