#!/bin/sh
# Installs what is missing, builds and runs every test through CTest.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
sh "$here/scripts/setup.sh"
sh "$here/scripts/build.sh"
cd "$here/build"
ctest --output-on-failure -j"$(nproc)"
