#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in build-sanitize/ and
# runs the whole test suite there. Any report of either sanitizer fails the test that caused it.
# Usage: scripts/sanitize.sh   (after scripts/setup-debian.sh; SANITIZE_BUILD=dir to build elsewhere)
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=${SANITIZE_BUILD:-build-sanitize}

cmake -S . -B "$build" -G Ninja -DCONVERTER_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2

# exitcode=86: a program that the tests run (the batch tool) must not pass a sanitizer report
# off as one of its own exit statuses (0, 1, 2).
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:abort_on_error=0:exitcode=86"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=86"
# Suppressions name third-party libraries only (Qt, fontconfig, glib), never our code.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure -j2
