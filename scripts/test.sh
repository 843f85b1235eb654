#!/bin/sh
# Installs what is missing, builds and runs every test through CTest. Every
# build fails on a compiler warning (scripts/build.sh).
#   sh scripts/test.sh            the normal build in build/
#   sh scripts/test.sh sanitize   an AddressSanitizer + UndefinedBehaviorSanitizer
#                                 build (clang) in build-asan/, leaks reported
#   sh scripts/test.sh tsan       a ThreadSanitizer build (clang) in build-tsan/;
#                                 any data race outside Qt's own libraries
#                                 fails the test it happens in
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
sh "$here/scripts/setup.sh"
case "${1:-}" in
sanitize)
  CC=clang CXX=clang++ sh "$here/scripts/build.sh" "$here/build-asan" -DQUZ_SANITIZE=ON
  cd "$here/build-asan"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0" \
  LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/tests/ubsan.supp" \
    ctest --output-on-failure -j"$(nproc)"
  ;;
tsan)
  CC=clang CXX=clang++ sh "$here/scripts/build.sh" "$here/build-tsan" -DQUZ_TSAN=ON
  cd "$here/build-tsan"
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$here/tests/tsan.supp" \
    ctest --output-on-failure -j"$(nproc)"
  ;;
*)
  # build/ as scripts/run.sh builds it: nothing compiled there is compiled
  # again.
  sh "$here/scripts/build.sh"
  cd "$here/build"
  ctest --output-on-failure -j"$(nproc)"
  ;;
esac
