#!/bin/sh
# Runs one test executable with a fresh, private HOME so nothing touches the
# real user folders, in the offscreen platform, and removes the folder after.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quztest.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
HOME="$tmp/home"
XDG_CONFIG_HOME="$tmp/home/.config"
XDG_DATA_HOME="$tmp/home/.local/share"
XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen
export HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR QT_QPA_PLATFORM
"$@"
