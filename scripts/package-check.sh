#!/usr/bin/env bash
# CI, after the test run on a fresh Debian 12 machine: makes the Debian package from build/,
# installs it with apt-get (under /usr) and checks the installation with a bare environment:
# tobrik-cli finds the texts file, no decoder software file is installed, the desktop entry
# validates and names the installed program, the window program starts headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh desktop-file-utils
# Packages of earlier versions go first, so the one made now is the only one.
rm -f build/tobrik_*.deb
(cd build && cpack -G DEB >/dev/null)
packages=(build/tobrik_*.deb)
package=${packages[0]}
echo "Package: $package"
dpkg-deb --field "$package" Package Version Depends
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$package" >/dev/null
bash scripts/check-install.sh /usr
