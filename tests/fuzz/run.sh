#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own folder (the first argument) and runs each in
# turn for FUZZ_SECONDS. Prints each target's executions, speed and coverage; fails on any crash,
# leak, timeout or out-of-memory, whose input is kept in the folder's findings/.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
seconds=${FUZZ_SECONDS:-600}
targets=${FUZZ_TARGETS:-settings_files picture_loader wave_decoder}

[ -f "$build/build.ninja" ] ||
    cmake -S "$source_dir/tests/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build"

failed=0
for target in $targets; do
    seeds=$source_dir/tests/fuzz/corpus/$target
    found=$build/corpus/$target # grows from run to run; the committed seeds stay as they are
    findings=$build/findings/$target
    log=$build/$target.log
    mkdir -p "$found" "$findings"
    echo "== $target: $seconds s"
    status=0
    # Sanitizer reports go to the log as the fuzzer's own lines do. Memory: one allocation over
    # 512 MB is a finding (the largest picture the loader takes, 100 million pixels, needs 400 MB);
    # the whole process may use more, as AddressSanitizer keeps up to 256 MB of freed memory in
    # quarantine, so a 20 s run once ended over a 512 MB limit with 24 MB live.
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz_$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -malloc_limit_mb=512 -print_final_stats=1 -print_pcs=0 -artifact_prefix="$findings/" \
        "$found" "$seeds" \
        >"$log" 2>&1 || status=$?
    grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$log" | tail -n 4 || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
        "$log" || true
    if [ "$status" -ne 0 ]; then
        echo "!! $target failed (exit $status); the end of $log:"
        tail -n 40 "$log"
        failed=1
    fi
done
exit $failed
