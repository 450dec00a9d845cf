#!/usr/bin/env bash
# Counts the lines of the program (plat, runtime, formatter, modes, driver: .cpp .h .def) and of
# its tests (tests/unit, tests/e2e, the files at the top of tests/, fuzz: .cpp .h .py .sh), and the
# ratio of the two.
set -euo pipefail
cd "$(dirname "$0")/.."

count() { # the lines of the named files, 0 for none
  if [ $# -eq 0 ]; then echo 0; else cat -- "$@" | wc -l | tr -d ' '; fi
}

mapfile -t program < <(find plat runtime formatter modes driver -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.def' \) | sort)
mapfile -t tests < <({ find tests/unit tests/e2e fuzz -type f \
  \( -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' \)
  find tests -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \); } | sort)

nProgram=$(count "${program[@]}")
nTests=$(count "${tests[@]}")
echo "program: $nProgram lines in ${#program[@]} files"
echo "tests:   $nTests lines in ${#tests[@]} files"
awk -v t="$nTests" -v p="$nProgram" 'BEGIN { printf "ratio:   %.2f test lines per program line\n", p ? t / p : 0 }'
