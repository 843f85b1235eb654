#!/bin/sh
# Installs what is missing, builds and starts the program against the
# simulated devices (under Xvfb when no display is open).
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
sh "$here/scripts/setup.sh"
sh "$here/scripts/build.sh"
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$here/build/bin/Quzmar"
fi
exec "$here/build/bin/Quzmar"
