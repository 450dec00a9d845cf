#!/usr/bin/env bash
# Whole-process speed: quorva -o on the benchmark's generated texts, and file mode on a 10 MB SQL
# trace file, each beside its floor (a getc/putc copy of standard input; cp of the file). Prints
# the median of 7 runs of each, and the peak memory of quorva -o against the input's size (with
# GNU time installed). Needs a build with -DQUORVA_BENCH=ON.
# Usage: scripts/bench-process.sh [BUILD_DIR]   (default build-gcc, the test command's)
set -euo pipefail
build=${1:-build-gcc}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/quorva_bench" --write-inputs "$work"

# A 10 MB trace: the test trace's cursors repeated.
trace=$(dirname "$0")/../tests/data/trace/js122a1_ora_9854.trc
while [ "$(stat -c %s "$work/trace.trc" 2>/dev/null || echo 0)" -lt 10485760 ]; do cat "$trace" >>"$work/trace.trc"; done

median() {  # median of 7 runs of a command, in milliseconds; $setup (untimed) runs before each
  local t=()
  for _ in 1 2 3 4 5 6 7; do
    local s e
    ${setup:-true}
    s=$(date +%s%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s%N)
    t+=($(( (e - s) / 1000000 )))
  done
  printf '%s\n' "${t[@]}" | sort -n | sed -n 4p
}

peak() {  # peak resident memory of quorva -o on a file against the file's size
  [ -x /usr/bin/time ] || { echo -; return; }
  /usr/bin/time -f %M -o "$work/rss" "$build/quorva" -q -o <"$1" >/dev/null 2>&1 || true
  awk -v k="$(tail -n 1 "$work/rss")" -v n="$(stat -c %s "$1")" 'BEGIN { printf "%.1fx", k * 1024 / n }'
}

printf '%-32s %10s %10s %8s %8s\n' input quorva_ms floor_ms ratio memory
for f in "$work"/*.sql; do
  q=$(median sh -c "'$build/quorva' -q -o < '$f' > /dev/null")
  c=$(median sh -c "'$build/bench/byteCopy' < '$f' > /dev/null")
  printf '%-32s %10s %10s %8s %8s\n' "$(basename "$f" .sql)" "$q" "$c" \
    "$(awk -v a="$q" -v b="$c" 'BEGIN { printf "%.1fx", a / (b > 0 ? b : 1) }')" "$(peak "$f")"
done
# Each run gets a fresh copy of the trace, made before the clock starts.
setup="cp $work/trace.trc $work/t.trc"
q=$(median "$build/quorva" -q "$work/t.trc")
c=$(median cp "$work/t.trc" "$work/u.trc")
setup=
printf '%-32s %10s %10s %8s\n' "file mode, 10 MB trace" "$q" "$c" "$(awk -v a="$q" -v b="$c" 'BEGIN { printf "%.1fx", a / (b > 0 ? b : 1) }')"
