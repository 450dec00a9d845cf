#!/usr/bin/env bash
# Builds quorva optimised by a profile of its own runs (GCC 11 or later; another compiler builds it
# without one): a first build in BUILD_DIR-train counts what the program does while it formats the
# texts of tests/data (standard input, file mode on copies of the trace files and TKPROF reports,
# and with other options); BUILD_DIR is then built with those counts in BUILD_DIR-profile, taken
# anew on every run. The output is the same as without the profile: only the compiler's choices of
# code change. A build for Windows (a toolchain file among the arguments) trains under Wine.
# Usage: scripts/build-optimised.sh BUILD_DIR [cmake arguments ...]   (Release unless given)
# Environment: JOBS (parallel jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [cmake arguments]" >&2; exit 2; }
build=$1
shift
jobs=${JOBS:-2}
top=$(pwd)
case $build in /*) ;; *) build=$top/$build ;; esac
train=$build-train profile=$build-profile

cmake -S . -B "$train" -DCMAKE_BUILD_TYPE=Release "$@" -DQUORVA_TESTS=OFF -DQUORVA_BENCH=OFF \
  -DQUORVA_PGO=GENERATE -DQUORVA_PGO_DIR="$profile" >/dev/null
cmake --build "$train" -j"$jobs" --target quorva

# The training: every text of the test data, formatted as a user formats it.
exe=$train/quorva run=()
if [ -f "$train/quorva.exe" ]; then exe=$train/quorva.exe run=(env WINEDEBUG=-all wine); fi
rm -rf "$profile"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r tests/data/. "$work/"
while IFS= read -r -d '' f; do
  "${run[@]}" "$exe" --no-config -q -o <"$f" >/dev/null 2>&1 || true  # a text that is refused is trained too
  "${run[@]}" "$exe" --no-config -q -o -i4 -c3 -s20 --keyword-case=upper <"$f" >/dev/null 2>&1 || true
done < <(find "$work/sql" "$work/plsql" "$work/units" "$work/enc" -type f -print0 | sort -z)
"${run[@]}" "$exe" --no-config -q "$work/trace" "$work/tkprof" >/dev/null 2>&1 || true
# A compiler that cannot take a profile (CMake said so) builds without one; else the training
# must have written it.
if [ -z "$(find "$profile" -name '*.gcda' -print -quit 2>/dev/null)" ]; then
  grep -q '^QUORVA_PGO_TAKEN:INTERNAL=OFF' "$train/CMakeCache.txt" || { echo "the training wrote no profile" >&2; exit 1; }
  echo "no profile: built without one" >&2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "$@" -DQUORVA_PGO=USE -DQUORVA_PGO_DIR="$profile" >/dev/null
cmake --build "$build" -j"$jobs"
