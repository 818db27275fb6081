#!/bin/sh
# Every test: install what is missing, then three build trees:
#   build/       the whole project with g++: unit, JACK and window tests
#   build-tsan/  ThreadSanitizer: only the tests marked TSAN exist there
#   build-fuzz/  clang with AddressSanitizer+UBSan: the tests marked ASAN and
#                each fuzz target, run for a bounded time
# Exits non-zero when any test fails.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/install-deps.sh"

"$root/scripts/build.sh" "$root/build"
ctest --test-dir "$root/build" -L 'unit|jack' --output-on-failure -j "$jobs"
xvfb-run -a ctest --test-dir "$root/build" -L xvfb --output-on-failure

# The sanitizer trees only run tests: -O1 with line tables keeps their reports
# readable and builds them in little more than half the time of -O2 -g.
TARGETS=tsan_tests "$root/scripts/build.sh" "$root/build-tsan" \
  -DZELTO2X_SANITIZE=thread -DZELTO2X_BUILD_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir "$root/build-tsan" --output-on-failure -j "$jobs"

CC=clang CXX=clang++ TARGETS="asan_tests fuzz_targets" "$root/scripts/build.sh" "$root/build-fuzz" \
  -DZELTO2X_SANITIZE=address -DZELTO2X_FUZZ=ON -DZELTO2X_BUILD_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest --test-dir "$root/build-fuzz" --output-on-failure -j "$jobs"
echo "All tests passed."
