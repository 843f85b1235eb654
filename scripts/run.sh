#!/bin/sh
# Installs what is missing, builds and starts the program against the
# simulated devices. Without a display open it starts the program on a
# virtual X display (Xvfb) and says which, and how to take a picture of it.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
sh "$here/scripts/setup.sh"
sh "$here/scripts/build.sh"
program="$here/build/bin/Quzmar"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec "$program"
fi
# xvfb-run picks a free display number and an X authority file of its own;
# the shell it starts knows both and tells them, so that another terminal
# can look at the screen. ImageMagick's import comes with scripts/setup.sh.
exec xvfb-run -a -s "-screen 0 1600x1000x24" sh -c '
echo "No display is open: the program runs on the virtual X display $DISPLAY (Xvfb)."
echo "A picture of that screen, taken from another terminal:"
echo "  DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root quzmar.png"
echo "Ctrl+C here ends the program."
exec "$1"' run.sh "$program"
