#!/bin/sh
# Configures and builds into build/ (or the folder given as $1).
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build}
if [ $# -gt 0 ]; then shift; fi
cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
