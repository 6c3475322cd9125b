#!/usr/bin/env bash
# Configures and builds everything (program, tobrik-cli, tests, benchmarks) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# ccache, where a developer has it, makes rebuilds after small changes quick; CI does without.
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j2
