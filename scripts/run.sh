#!/usr/bin/env bash
# Builds the program and starts it on its demo set-up: a simulated update box on COM3 (unless
# TOBRIK_PORTS says otherwise) and the shipped sample decoder software file. Without a display
# it shows the same from the terminal with tobrik-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export TOBRIK_PORTS="${TOBRIK_PORTS-3=sim:box}"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/bin/Tobrik
fi

echo "No display found: showing the port page and the sample file with tobrik-cli instead."
./build/bin/tobrik-cli ports --log
echo
./build/bin/tobrik-cli list build/share/VARNO/PLV/DECSOFT/DECODERSW.DAT
