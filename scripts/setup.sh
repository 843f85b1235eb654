#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build, run and test the
# program. Run as root (or through sudo); does nothing when all is present.
set -e
PKGS="cmake g++ make qtbase5-dev qtbase5-dev-tools libqt5xml5 libx11-dev xvfb xauth fonts-wqy-microhei clang libclang-rt-14-dev"
missing=""
for p in $PKGS; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
