#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer), makes the seed
# corpus of TARGET in the build directory and runs TARGET for SECONDS seconds with the dictionary.
# Usage: fuzz/run.sh TARGET SECONDS [extra libFuzzer arguments]
#   TARGET: fuzzFmtStmt fuzzFmtStmtOpts fuzzExtract fuzzJoinChunk fuzzReplaceStr (or "all")
# Environment: FUZZ_BUILD (build directory, default build-fuzz), FUZZ_MAX_LEN (default 16384).
# Findings land in $FUZZ_BUILD/artifacts/; the growing corpus in $FUZZ_BUILD/corpus/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "usage: $0 TARGET SECONDS [libFuzzer args]" >&2; exit 2; }
target=$1 seconds=$2
shift 2
build=${FUZZ_BUILD:-build-fuzz}
all_targets=(fuzzFmtStmt fuzzFmtStmtOpts fuzzExtract fuzzJoinChunk fuzzReplaceStr)
if [ "$target" = all ]; then
  for t in "${all_targets[@]}"; do "$0" "$t" "$seconds" "$@"; done
  exit 0
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUORVA_FUZZ=ON \
    -DQUORVA_SANITIZE=ON -DQUORVA_TESTS=OFF >/dev/null
fi
cmake -S . -B "$build" >/dev/null  # a folder made before a target was added learns of it
cmake --build "$build" -j2 --target "$target" fuzzDict >/dev/null

# The dictionary: the words of the formatter's table, then the hand-kept markers.
{ "$build/fuzz/fuzzDict"; cat fuzz/marks.dict; } >"$build/quorva.dict"
python3 fuzz/seeds.py "$build/seeds" >/dev/null
mkdir -p "$build/corpus/$target" "$build/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/fuzz/$target" -dict="$build/quorva.dict" -max_total_time="$seconds" -max_len="${FUZZ_MAX_LEN:-16384}" \
  -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$@" \
  "$build/corpus/$target" "$build/seeds/$target"
