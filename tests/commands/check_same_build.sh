#!/bin/sh
# The README's two commands share build/: scripts/run.sh builds it, then
# scripts/test.sh builds it again and runs the tests, and the second must
# compile nothing of the first again. This runs the two scripts themselves,
# run.sh, test.sh, run.sh again, on a copy of the source tree made of links,
# so that their build/ is a scratch folder. Installing, compiling, the
# program and the tests are stood in for; configuring is real. After each
# script it records every target's compile flags, which make compares with
# its objects, and builds one object of the core as the first script would
# have; it fails when a later script changes any target's flags or leaves
# that object out of date.
#   check_same_build.sh <source folder> <work folder>
set -e
source=$(cd "$1" && pwd)
work=$2
rm -rf "$work"
mkdir -p "$work/tree" "$work/stand-ins"
# The same generator as a new machine: what the scripts get by default.
unset CMAKE_GENERATOR DISPLAY WAYLAND_DISPLAY

for entry in "$source"/* "$source"/.[!.]*; do
  name=$(basename "$entry")
  case "$name" in build | build-* | .git) continue ;; esac
  [ -e "$entry" ] && ln -s "$entry" "$work/tree/$name"
done

real_cmake=$(command -v cmake)
stand_in() {
  printf '#!/bin/sh\n%s\n' "$2" >"$work/stand-ins/$1"
  chmod +x "$work/stand-ins/$1"
}
# Configure for real; a build does nothing, so the check costs seconds.
stand_in cmake "[ \"\$1\" = --build ] && exit 0; exec '$real_cmake' \"\$@\""
# Everything scripts/setup.sh asks for counts as installed.
stand_in dpkg 'exit 0'
stand_in apt-get 'echo "apt-get called: $*" >&2; exit 1'
stand_in sudo 'echo "sudo called: $*" >&2; exit 1'
stand_in ctest 'exit 0'
stand_in xvfb-run 'exit 0'
PATH="$work/stand-ins:$PATH"
export PATH

build="$work/tree/build"
rules=CMakeFiles/quzdevice.dir/build.make
flags() {
  (cd "$build" && find . -name flags.make | sort | xargs cksum)
}
# The probe object, made with make's own rule for it; make -q answers
# whether it is up to date without building anything.
probe_up_to_date() {
  make -s -q -C "$build" -f "$rules" "$probe"
}

sh "$work/tree/scripts/run.sh" >"$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
flags >"$work/flags.run"
# An object of platform/, which needs no generated header.
probe=$(sed -n 's|^\(CMakeFiles/quzdevice.dir/platform/[^:]*\.o\): CMakeFiles/quzdevice.dir/flags.make$|\1|p' \
  "$build/$rules" | head -1)
[ -n "$probe" ] || { echo "no object of platform/ in $rules"; exit 1; }
make -s -C "$build" -f "$rules" "$probe" >/dev/null
probe_up_to_date || { echo "the probe object $probe is not up to date right after it was built"; exit 1; }

status=0
for script in test.sh run.sh; do
  sh "$work/tree/scripts/$script" >"$work/$script.log" 2>&1 || { cat "$work/$script.log"; exit 1; }
  flags >"$work/flags.$script"
  if ! cmp -s "$work/flags.run" "$work/flags.$script"; then
    changed=$(diff "$work/flags.run" "$work/flags.$script" | sed -n 's/^> [0-9]* [0-9]* \.\/\(.*\)\/flags.make$/\1/p')
    echo "scripts/$script configures build/ otherwise than scripts/run.sh did:" \
      "$(echo "$changed" | wc -l) targets would compile again, among them" $(echo "$changed" | head -3)
    status=1
  fi
  probe_up_to_date || { echo "after scripts/$script, make would compile $probe again"; status=1; }
done
[ "$status" = 0 ] && echo "run.sh, test.sh and run.sh again configure build/ alike: nothing compiles twice"
exit $status
