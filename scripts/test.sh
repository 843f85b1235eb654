#!/bin/sh
# Installs what is missing, builds and runs every test through CTest.
#   sh scripts/test.sh            the normal build in build/
#   sh scripts/test.sh sanitize   an AddressSanitizer + UndefinedBehaviorSanitizer
#                                 build (clang) in build-asan/, leaks reported
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
sh "$here/scripts/setup.sh"
if [ "${1:-}" = sanitize ]; then
  CC=clang CXX=clang++ sh "$here/scripts/build.sh" "$here/build-asan" -DQUZ_SANITIZE=ON
  cd "$here/build-asan"
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0" \
  LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/tests/ubsan.supp" \
    ctest --output-on-failure -j"$(nproc)"
else
  sh "$here/scripts/build.sh"
  cd "$here/build"
  ctest --output-on-failure -j"$(nproc)"
fi
