#!/bin/sh
# Installs the Debian packages the build and the tests need, only those missing.
set -eu
PACKAGES="build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  librtmidi-dev libpoco-dev libtinyxml2-dev libpng-dev zlib1g-dev libfreetype-dev
  fonts-dejavu-core libgtk-3-dev jackd2 xvfb xauth xdg-utils
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  groff img2pdf"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
# jackd2 asks whether to enable real-time scheduling; the tests need no such thing.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections
# A second first command (or the system's own updates) may hold the package
# lock: wait for it rather than fail.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update -qq
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing
