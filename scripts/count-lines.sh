#!/usr/bin/env bash
# Prints how big the tests are against the code they test: non-blank lines that are not only a
# comment, in the C++ files git tracks under tests/ against those everywhere else (program,
# tobrik-cli, simulator, benchmarks, fuzz targets). The project keeps the share near a third.
set -euo pipefail
cd "$(dirname "$0")/.."

code_lines() {
  [ $# -eq 0 ] && { echo 0; return; }
  awk '
    in_block { if (sub(/.*\*\//, "")) in_block = 0; else next }
    /^[ \t]*\/\*/ && !/\*\// { in_block = 1; next }
    /^[ \t]*(\/\/|\/\*.*\*\/[ \t]*$)/ { next }
    /^[ \t]*$/ { next }
    { n++ }
    END { print n + 0 }' "$@"
}

mapfile -t test_files < <(git ls-files 'tests/*.cpp' 'tests/*.h')
mapfile -t other_files < <(git ls-files '*.cpp' '*.h' | grep -v '^tests/')
tests=$(code_lines "${test_files[@]}")
other=$(code_lines "${other_files[@]}")
echo "tests: $tests lines, other code: $other lines, tests are $((100 * tests / other)) % of it"
