#!/usr/bin/env bash
# Builds quorva and runs every test: on Linux with gcc, then with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short run of each fuzz target (QUORVA_FUZZ_SECONDS, 30 by
# default), then the Windows build under Wine. Fails when any part cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=2
echo "== Linux, gcc"
# Each build has a folder of its own, its compilers and type named on purpose (CC and CXX count
# only when a folder is new): build-release is the README's first command's, never touched here.
# The builds that are shipped (the Debian package, the zip) are optimised by a profile of the
# program's runs, and tested as they are shipped.
JOBS=$jobs bash scripts/build-optimised.sh build-gcc -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_BUILD_TYPE=Release -DQUORVA_BENCH=ON
ctest --test-dir build-gcc --output-on-failure

echo "== Linux, the Debian package installs, runs and passes lintian"
rm -rf build-gcc/pkg build-gcc/quorva_*.deb && mkdir -p build-gcc/pkg
(cd build-gcc && cpack -G DEB >/dev/null)
dpkg-deb -x build-gcc/quorva_*.deb build-gcc/pkg/root
build-gcc/pkg/root/usr/bin/quorva --version
echo "select a,b from t" | build-gcc/pkg/root/usr/bin/quorva -q -o | grep -q "^, b" || { echo "the packaged quorva does not format" >&2; exit 1; }
test -s build-gcc/pkg/root/usr/share/man/man1/quorva.1.gz
lintian --fail-on error,warning build-gcc/quorva_*.deb || { echo "lintian finds errors or warnings" >&2; exit 1; }

echo "== Linux, clang, sanitized"
command -v clang++ >/dev/null || { echo "clang is missing" >&2; exit 1; }
cmake -S . -B build-asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DQUORVA_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure

# A fixed seed keeps the short runs of this command repeatable; fuzz/run.sh alone explores afresh.
echo "== Linux, fuzz targets (half a minute each)"
for t in fuzzFmtStmt fuzzFmtStmtOpts fuzzExtract fuzzJoinChunk fuzzReplaceStr; do
  FUZZ_BUILD=build-fuzz bash fuzz/run.sh "$t" "${QUORVA_FUZZ_SECONDS:-30}" -seed="${QUORVA_FUZZ_SEED:-1}" >"build-asan/$t.log" 2>&1 ||
    { tail -n 60 "build-asan/$t.log" >&2; echo "fuzz target $t found a fault" >&2; exit 1; }
  grep -E "^#[0-9]+[[:space:]]+DONE" "build-asan/$t.log" || true
done

echo "== Windows, under Wine"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "MinGW-w64 is missing" >&2; exit 1; }
command -v wine >/dev/null || { echo "Wine is missing" >&2; exit 1; }
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-quorva}"
wineboot --init >/dev/null 2>&1 || true
wineserver -p 120 2>/dev/null || true  # one server for the whole run (it may run already)
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
JOBS=$jobs bash scripts/build-optimised.sh build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build-win --output-on-failure

echo "== Windows, the zip holds a quorva.exe that runs"
rm -rf build-win/pkg && mkdir -p build-win/pkg
(cd build-win && cpack -G ZIP >/dev/null)
(cd build-win/pkg && unzip -q ../quorva-*.zip)
wine "$(find build-win/pkg -name quorva.exe | head -n 1)" --version | grep -q "quorva version" ||
  { echo "the zipped quorva.exe does not run" >&2; exit 1; }
