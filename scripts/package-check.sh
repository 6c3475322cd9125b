#!/usr/bin/env bash
# CI, after the test run on a fresh Debian 12 machine: makes the Debian package from build/,
# checks it with lintian (any error or warning fails, pedantic notes are shown), installs it with
# apt-get (under /usr) and checks the installation with a bare environment: tobrik-cli finds the
# texts file, no decoder software file is installed, the desktop entry and the AppStream
# metadata validate and name the installed program, the manual pages render, the completion
# offers every command, the window program starts headless, and the package's version is the one
# the programs name.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh desktop-file-utils appstream lintian man-db
# Packages of earlier versions go first, so the one made now is the only one.
rm -f build/tobrik_*.deb
(cd build && cpack -G DEB >/dev/null)
packages=(build/tobrik_*.deb)
package=${packages[0]}
echo "Package: $package"
dpkg-deb --field "$package" Package Version Depends
# lintian says it would rather not run as root; CI is root, and reads only the package.
lintian --pedantic --fail-on error,warning "$package" 2> >(grep -v 'root privileges' >&2)
echo "lintian: no error, no warning"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$package" >/dev/null
bash scripts/check-install.sh /usr
package_version=$(dpkg-query --show --showformat='${Version}' tobrik)
tobrik-cli --version | grep -q "^tobrik-cli Version $package_version " ||
  { echo "package-check: the package's version $package_version is not the program's" >&2; exit 1; }
