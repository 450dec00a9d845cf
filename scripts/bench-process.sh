#!/usr/bin/env bash
# Whole-process speed, each figure beside its floor: quorva -q -o on the benchmark's generated
# texts beside a getc_unlocked/putc_unlocked copy of standard input (bench/byteCopy), and file
# mode on a 10 MB SQL trace file beside the least a safe rewrite in place does: read whole, write
# beside, rename (bench/safeRewrite), on a fresh copy of the trace each run. Prints the median of 7
# runs of each in milliseconds, their ratio, and the peak resident memory of each quorva run
# against the input's size (GNU time, /usr/bin/time). Needs a build with -DQUORVA_BENCH=ON.
# Usage: scripts/bench-process.sh [BUILD_DIR]   (default build-gcc, the test command's)
set -euo pipefail
build=${1:-build-gcc}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/quorva_bench" --write-inputs "$work"

# A 10 MB trace: the test trace's cursors repeated.
trace=$(dirname "$0")/../tests/data/trace/js122a1_ora_9854.trc
while [ "$(stat -c %s "$work/trace.trc" 2>/dev/null || echo 0)" -lt 10485760 ]; do cat "$trace" >>"$work/trace.trc"; done

# Median of 7 runs of a command, in milliseconds to a tenth: standard input from $input (else the
# null device), standard output to the null device; $setup (untimed) runs before each. The clock
# is bash's own, so that no process is started to read it. A run that fails ends the script: its
# time would be no figure.
median() {
  local t=() s e
  for _ in 1 2 3 4 5 6 7; do
    ${setup:-true}
    s=${EPOCHREALTIME/[.,]/}
    "$@" <"${input:-/dev/null}" >/dev/null 2>"$work/err" || { echo "failed: $* ($(head -c 300 "$work/err"))" >&2; exit 1; }
    e=${EPOCHREALTIME/[.,]/}
    t+=($((e - s)))
  done
  printf '%s\n' "${t[@]}" | sort -n | awk 'NR == 4 { printf "%.1f", $1 / 1000 }'
}

# Peak resident memory of a command (after the first argument) in MB, and that against the size
# of the file the first argument names, as "MB ratio"; "- -" without GNU time. Standard input
# from $input as in median; $setup runs first.
peak() {
  local size
  size=$(stat -c %s "$1")
  shift
  [ -x /usr/bin/time ] || { echo "- -"; return; }
  ${setup:-true}
  /usr/bin/time -f %M -o "$work/rss" "$@" <"${input:-/dev/null}" >/dev/null 2>&1 || { echo "- -"; return; }
  awk -v k="$(tail -n 1 "$work/rss")" -v n="$size" 'BEGIN { printf "%.1f %.1fx", k / 1024, k * 1024 / n }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1fx", a / b; else printf "-" }'; }

line() { printf '%-24s %8s %10s %9s %7s %8s %9s\n' "$@"; }
row() {  # name, the input's path, quorva's ms, the floor's ms, "peak_MB peak/size"
  local mb rel
  read -r mb rel <<<"$5"
  line "$1" "$(awk -v n="$(stat -c %s "$2")" 'BEGIN { printf "%.1f", n / 1048576 }')" "$3" "$4" "$(ratio "$3" "$4")" \
    "$mb" "$rel"
}

echo "median of 7 runs; ratio: quorva's time over the floor's; peak: quorva's peak resident memory, and over the input's size"
echo
echo "quorva -q -o <FILE >/dev/null"
echo "floor: getc_unlocked/putc_unlocked copy (bench/byteCopy)"
line input size_MB quorva_ms floor_ms ratio peak_MB peak/size
for f in "$work"/*.sql; do
  input=$f
  q=$(median "$build/quorva" -q -o)
  c=$(median "$build/bench/byteCopy")
  m=$(peak "$f" "$build/quorva" -q -o)
  input=
  row "$(basename "$f" .sql)" "$f" "$q" "$c" "$m"
done

echo
echo "quorva -q FILE (file mode: FILE rewritten), a fresh copy of FILE before each run"
echo "floor: read whole, write beside, rename (bench/safeRewrite)"
line input size_MB quorva_ms floor_ms ratio peak_MB peak/size
setup="cp $work/trace.trc $work/t.trc"  # untimed
q=$(median "$build/quorva" -q "$work/t.trc")
c=$(median "$build/bench/safeRewrite" "$work/t.trc")
m=$(peak "$work/trace.trc" "$build/quorva" -q "$work/t.trc")
setup=
row "trace_10MB" "$work/trace.trc" "$q" "$c" "$m"
