#!/usr/bin/env bash
# Configures and builds everything (program, tobrik-cli, tests, benchmarks) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
