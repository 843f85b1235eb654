#!/bin/sh
# Configures and builds into build/ (or the folder given as $1), with any
# further CMake options given after it. Every build of the scripts fails on
# a compiler warning (-DQUZ_WERROR=ON), and every script configures build/
# with the same options, so one reuses what another compiled: run.sh and
# then test.sh compile the program once (tests/commands/ checks it).
# QUZ_BUILD_TARGETS, target names separated by spaces, builds those alone
# (CI's build of the benchmark's configuration: the program and the empty
# window, what bench/run_bench.py builds).
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build}
if [ $# -gt 0 ]; then shift; fi
cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUZ_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" ${QUZ_BUILD_TARGETS:+--target $QUZ_BUILD_TARGETS}
