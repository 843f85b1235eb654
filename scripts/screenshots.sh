#!/bin/sh
# Renders every page and dialog of the program in both languages and both
# colour sets into build/screenshots/ (not kept in git), to be looked at.
#
# The pages the program shows are taken from the running program under Xvfb,
# driven with xdotool against the simulated devices: the device list, the
# device page (with the function menu and its submenus, the profile and
# insert-event lists, a macro chosen), the settings page, and the dialogs
# those pages open in front of them. The dialogs, and the classes no window
# of the program opens, come from a small harness (tools/shotharness), built
# only for this script.
#
#   sh scripts/screenshots.sh            all of it
#   SHOT_DISPLAY=:245 sh scripts/...     on an X display number of your own
#
# Needs Xvfb, xdpyinfo, xdotool and ImageMagick's import (scripts/setup.sh
# installs them). Every program run gets a fresh HOME and TMPDIR.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
out="$build/screenshots"

if [ ! -f "$build/CMakeCache.txt" ]; then
  sh "$here/scripts/build.sh"
fi
cmake --build "$build" -j4 --target Quzmar shotharness >/dev/null

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quzshots.XXXXXX")
xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT INT TERM

# An X server of our own, on the first free display number from 240 on
# unless SHOT_DISPLAY names one.
display=${SHOT_DISPLAY:-}
if [ -z "$display" ]; then
  n=240
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  display=":$n"
fi
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp -noreset >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
tries=0
until xdpyinfo >/dev/null 2>&1; do
  tries=$((tries + 1))
  [ $tries -gt 50 ] && { echo "Xvfb on $display did not start"; cat "$scratch/xvfb.log"; exit 1; }
  sleep 0.1
done

rm -rf "$out"
mkdir -p "$out"

# The two benches: colour set 1 is the 4K receiver with mouse QZM-Q1
# (Drive1), colour set 2 the 8K receiver with mouse QZM-Q2 (Drive2). Both
# run the firmware of bin/, so no update offer opens by itself.
cp "$here/hidusb/fixtures/current.ini" "$scratch/set1.ini"
cat >"$scratch/set2.ini" <<'EOF'
[R8]
type=receiver
class=8
id=11 22 33
version=0x0103
cid=0x21
mid=2
plugged=1
led=1
mouse=Q2

[Q2]
type=mouse
mid=2
version=0x0106
battery=42
charging=0
online=1
EOF

# A fresh user: language chosen, two macros in the macro folder.
new_home() {
  h="$scratch/home-$1"
  rm -rf "$h"
  mkdir -p "$h/AppData/Local/Quzmar/usersetting/MacroPage" "$h/tmp" "$h/runtime"
  chmod 700 "$h/runtime"
  printf '[Language]\nLanguage=%s\n' "$2" >"$h/AppData/Local/Quzmar/Macro.ini"
  printf '1\n0x04 1 0\n25ms\n0x04 1 1\n10ms\n' >"$h/AppData/Local/Quzmar/usersetting/MacroPage/Jump.ini"
  printf '254\n0x15 1 0\n40ms\n0x15 1 1\n10ms\n' >"$h/AppData/Local/Quzmar/usersetting/MacroPage/Reload.ini"
  echo "$h"
}

window=""
# The whole screen: menus and list pop-ups are windows of their own.
shot() {
  import -window root "$out/$1.png"
}
# Pointer to window coordinates x y, then a pause for what follows.
click_at() {
  xdotool mousemove --window "$window" "$1" "$2" click 1
  sleep "${3:-0.8}"
}
hover_at() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep "${3:-0.6}"
}
key() {
  xdotool key --window "$window" "$1"
  sleep 0.4
}

run_program() {
  lang=$1
  set=$2
  name=$( [ "$lang" = 1 ] && echo zh || echo en )-set$set
  h=$(new_home "$name" "$lang")
  HOME="$h" TMPDIR="$h/tmp" XDG_CONFIG_HOME="$h/.config" XDG_DATA_HOME="$h/.local/share" \
    XDG_RUNTIME_DIR="$h/runtime" HIDUSB_SIM_FIXTURE="$scratch/set$set.ini" \
    "$build/bin/Quzmar" >"$scratch/$name.log" 2>&1 &
  program_pid=$!
  window=$(xdotool search --sync --onlyvisible --pid "$program_pid" --name Quzmar | head -1)
  sleep 2

  # The device list, and its language list open.
  shot "$name-list"
  click_at 1090 58
  shot "$name-list-language"
  key Escape
  # Pairing from the list's header.
  click_at 973 58 1.5
  shot "$name-pairing"
  key Escape
  sleep 0.5

  # The device page.
  click_at 668 550 4
  shot "$name-device"
  # A macro chosen: its events on the event list.
  click_at 760 175 1
  shot "$name-device-macro"
  # The function menu of button 1, then each submenu.
  click_at 272 263 1
  shot "$name-menu"
  for entry in 10 11 12 13; do
    # Submenus follow the ten plain entries, 32 px apart. The menu takes a
    # pointer move as a hover only once the pointer has moved inside it, so
    # the pointer comes in two steps.
    hover_at 310 $((263 + 26 + 16 + entry * 32)) 0.3
    hover_at 330 $((263 + 26 + 16 + entry * 32)) 1
    shot "$name-menu-$entry"
  done
  key Escape
  key Escape
  # The profile list and the insert-event list.
  click_at 378 166
  shot "$name-profiles"
  key Escape
  click_at 1231 537
  shot "$name-insert-event"
  # Its key-press entry asks for the key in a dialog of its own.
  click_at 1200 562 1.2
  shot "$name-insert-key"
  # The key dialog takes Escape as a key: it closes from its Cancel button.
  click_at 736 507
  # The factory reset question.
  click_at 566 791 1.2
  shot "$name-reset-question"
  key Escape
  sleep 0.5

  # The settings page, then back to the device page.
  click_at 1071 58 1.2
  shot "$name-settings"
  click_at 779 58 1
  # Closed from its own close button.
  click_at 1263 58 2
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
}

for set in 1 2; do
  for lang in 0 1; do
    run_program "$lang" "$set"
  done
done

for set in 1 2; do
  for lang in 0 1; do
    h=$(new_home "harness-$lang-$set" "$lang")
    HOME="$h" TMPDIR="$h/tmp" XDG_CONFIG_HOME="$h/.config" XDG_DATA_HOME="$h/.local/share" \
      XDG_RUNTIME_DIR="$h/runtime" HIDUSB_SIM_FIXTURE="$scratch/set$set.ini" QUZ_PROGRAM_DIR="$build/bin" \
      "$build/toolbin/shotharness" "$out" "$lang" "$set" >"$scratch/harness-$lang-$set.log" 2>&1 \
      || { cat "$scratch/harness-$lang-$set.log"; exit 1; }
  done
done

echo "$(ls "$out" | wc -l) pictures in $out"
