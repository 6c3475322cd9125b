#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer, with the
# fuzz targets on libFuzzer, into build-sanitized/, and runs every test there (headless), the
# fuzz targets' short runs included. Any finding of a sanitizer fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
# clang's libFuzzer and sanitizer run-times come in libclang-rt-14-dev, only recommended by clang.
bash scripts/deps.sh clang libclang-rt-14-dev
# Optimised a little and with line tables only: full debug information about doubles the
# build's time, and a sanitizer's report needs no more than file and line.
bash scripts/build.sh build-sanitized -DCMAKE_CXX_COMPILER=clang++ \
  -DTOBRIK_SANITIZE=ON -DTOBRIK_LIBFUZZER=ON \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG"
cd build-sanitized
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
