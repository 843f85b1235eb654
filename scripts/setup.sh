#!/bin/sh
# Installs what a fresh Debian machine lacks to build, run and test the
# program. Run as root (or through sudo); does nothing when all is present.
set -e
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
updated=""
install_missing() {
  missing=""
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
  done
  [ -n "$missing" ] || return 0
  if [ -z "$updated" ]; then
    $SUDO apt-get update -qq
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
}

install_missing cmake g++ make qtbase5-dev qtbase5-dev-tools libqt5xml5 libx11-dev libfontconfig-dev xvfb xauth \
  fonts-wqy-microhei clang
# Qt's own translations: the toolkit's file dialogs, standard buttons and
# context menus in the program's language.
install_missing qttranslations5-l10n
# The journeys and scripts/screenshots.sh drive the program under Xvfb with
# X11 input and take pictures of the screen.
install_missing python3 xdotool imagemagick x11-utils
# The install test checks the desktop entry with desktop-file-validate.
install_missing desktop-file-utils

# The sanitizer and fuzzer runtimes come in one package per clang version:
# take the one of the clang that `clang` runs (14 on Debian 12).
major=$(clang -dumpversion 2>/dev/null | cut -d. -f1)
case "$major" in
  ''|*[!0-9]*) install_missing libclang-rt-dev ;;
  *) install_missing "libclang-rt-$major-dev" ;;
esac
