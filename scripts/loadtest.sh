#!/bin/sh
# The whole suite on a busy machine: builds build/ as scripts/test.sh does,
# then runs every test, the journeys included, several rounds in a row (3 by
# default) with twice as many tests at once as there are cores, while
# stress-ng keeps every core busy. A test that passes only when the machine
# is idle fails here. The load stops when the script ends, however it ends;
# the script fails when any round failed.
#   sh scripts/loadtest.sh        three rounds
#   sh scripts/loadtest.sh 5      five rounds
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
sh "$here/scripts/setup.sh"
for tool in stress-ng Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    # Without the X tools the journeys would be skipped, not run under load.
    echo "loadtest: $tool is missing (Debian: apt-get install stress-ng xvfb xdotool imagemagick)" >&2
    exit 1
  fi
done
sh "$here/scripts/build.sh"

cores=$(nproc)
jobs=$((cores * 2))
logs="$here/build/loadtest"
rm -rf "$logs"
mkdir -p "$logs"

# stress-ng and each round's ctest run in sessions of their own, so that
# stopping one stops everything it started (workers, tests, X servers); the
# script waits for them in the background, so a signal ends it at once. A
# test stopped mid-run may be held by the stack dump it starts on the
# signal: what is left after ten seconds is killed.
load=""
tests=""
stop() {
  if [ -n "$tests" ]; then
    kill -TERM "-$tests" 2>/dev/null || true
    tries=0
    while [ "$tries" -lt 20 ] && kill -0 "-$tests" 2>/dev/null; do
      sleep 0.5
      tries=$((tries + 1))
    done
    kill -KILL "-$tests" 2>/dev/null || true
  fi
  [ -z "$load" ] || kill -TERM "-$load" 2>/dev/null || kill -TERM "$load" 2>/dev/null || true
  wait 2>/dev/null || true
  tests=""
  load=""
}
trap stop EXIT
trap 'exit 130' INT TERM HUP
setsid stress-ng --cpu "$cores" --quiet >"$logs/stress-ng.log" 2>&1 &
load=$!

failed=""
round=1
while [ "$round" -le "$rounds" ]; do
  echo "== round $round of $rounds: ctest -j$jobs beside stress-ng --cpu $cores"
  (cd "$here/build" && exec setsid ctest -j"$jobs" --output-on-failure) >"$logs/round$round.log" 2>&1 &
  tests=$!
  wait "$tests" || failed="$failed $round"
  tests=""
  grep -E "tests passed|Total Test time|\*\*\*Failed|\*\*\*Timeout|Not Run|Exception" "$logs/round$round.log" || true
  round=$((round + 1))
done
stop

if [ -n "$failed" ]; then
  echo "loadtest: round(s)$failed failed; logs in $logs/"
  exit 1
fi
echo "loadtest: $rounds rounds passed; logs in $logs/"
