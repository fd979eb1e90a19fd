#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each of them in turn, one
# process at a time, for SECONDS seconds (default 60), starting from its seed corpus in
# fuzz/corpus/<target>/. Inputs the fuzzer finds interesting gather in build-fuzz/corpus/<target>/
# (kept between runs); crashes land in build-fuzz/findings/<target>/ and make the script fail.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]     TARGET: dbf_table export_document import_tables
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-dbf_table export_document import_tables}
build=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCONVERTER_FUZZ=ON -DCONVERTER_GUI=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target fuzzers

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=0
for target in $targets; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    dict="$root/fuzz/$target.dict"
    dictOption=""
    [ -f "$dict" ] && dictOption="-dict=$dict"
    echo "== fuzz_$target: $seconds s"
    # shellcheck disable=SC2086
    if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" $dictOption \
            "$corpus" "$root/fuzz/corpus/$target" >"$build/fuzz_$target.log" 2>&1; then
        failed=1
        echo "fuzz_$target found a problem; see $build/fuzz_$target.log and $findings/" >&2
        tail -n 40 "$build/fuzz_$target.log" >&2
    else
        grep -E '^(stat::|Done|#[0-9]+ *DONE)' "$build/fuzz_$target.log" || true
    fi
done
exit $failed
