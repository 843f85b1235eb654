#!/bin/sh
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan) in
# build-fuzz/ and runs them all at once, each for the given number of seconds
# (default 60) from its committed seeds in tests/fuzz/corpus/<name>/. New
# inputs go to a scratch folder, so the committed seeds stay as they are. A
# crash fails the run and leaves the input in build-fuzz/crashes/.
#   sh scripts/fuzz.sh 600              every target for ten minutes
#   sh scripts/fuzz.sh 60 fuzz_language one target
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
only=${2:-}
sh "$here/scripts/setup.sh"
CC=clang CXX=clang++ sh "$here/scripts/build.sh" "$here/build-fuzz" -DQUZ_FUZZ=ON
out="$here/build-fuzz"
mkdir -p "$out/crashes"
# A private HOME, as for the tests: the targets write caches, settings and
# the simulated devices' state under it.
home=$(mktemp -d "${TMPDIR:-/tmp}/quzfuzz.XXXXXX")
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
# The targets live in tests/, the program folder they read is bin/.
export QUZ_PROGRAM_DIR="$out/bin"
# The targets run side by side (each on one core), so the whole run takes
# about the given time rather than that time per target.
run_target() {
  name=$1
  seeds="$here/tests/fuzz/corpus/${name#fuzz_}"
  work="$out/corpus/${name#fuzz_}"
  mkdir -p "$work" "$seeds"
  if (cd "$out" && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
      LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" \
      "$out/tests/$name" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$out/crashes/$name-" -print_final_stats=1 "$work" "$seeds" \
      >"$out/$name.log" 2>&1); then
    echo 0 >"$out/$name.status"
  else
    echo 1 >"$out/$name.status"
  fi
}
names=""
for src in "$here"/tests/fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  [ -n "$only" ] && [ "$only" != "$name" ] && continue
  names="$names $name"
  rm -f "$out/$name.status"
  run_target "$name" &
done
echo "== fuzzing$names for ${secs}s"
wait
status=0
for name in $names; do
  if [ "$(cat "$out/$name.status" 2>/dev/null)" != 0 ]; then
    echo "$name FAILED; log: $out/$name.log"
    tail -40 "$out/$name.log"
    status=1
  fi
  echo "$name: $(grep -E "Done [0-9]+ runs" "$out/$name.log" | tail -1)"
done
exit $status
