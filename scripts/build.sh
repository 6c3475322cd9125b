#!/usr/bin/env bash
# Configures and builds everything (program, tobrik-cli, tests, benchmarks, fuzz targets) into
# build/, or into FOLDER with the CMake options given: bash scripts/build.sh [FOLDER [OPTION...]].
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build}
shift $(( $# > 0 ? 1 : 0 ))
bash scripts/deps.sh
# ccache, where a developer has it, makes rebuilds after small changes quick; CI does without.
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
cmake --build "$folder" -j2
