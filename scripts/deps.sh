#!/usr/bin/env bash
# Installs the Debian packages Tobrik needs to build and test, when any is missing; packages
# named as arguments are needed as well (a script's own tools).
set -euo pipefail

# qt6-translations-l10n: Qt's own dialog texts (message box buttons, file dialog) in German and
# French; without it they stay English. dpkg-dev: the Debian package's dependencies.
packages=(g++ cmake make qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev qt6-translations-l10n dpkg-dev
          "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
