#!/usr/bin/env bash
# Installs the build in BUILD_DIR into a temporary prefix, as `cmake --install` does for a user,
# and checks that the installed programs find their files there and start.
#   bash tests/install_test.sh BUILD_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
bash "$(dirname "$0")/../scripts/check-install.sh" "$prefix"
