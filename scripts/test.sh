#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and runs every test: the unit and widget tests (CTest),
# a short benchmark smoke run, the tests again under the sanitizers, and each
# fuzz target for 60 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Here a compiler warning fails the build; a user's own build only shows it.
bash scripts/build.sh -DOQ_BUILD_TESTS=ON -DOQ_BUILD_BENCH=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
(cd build && ctest --output-on-failure -j2)

# The benchmarks must keep running; their figures are read from a full run.
for b in build/bin/bench_*; do
    [ -x "$b" ] && "$b" --benchmark_min_time=0.01 >/dev/null
done
# Start-up against a bare Qt window, a few rounds (a full run takes more).
bash bench/startup.sh --rounds 2

# --- Sanitizers -------------------------------------------------------------------------------------------------
# The program and every test again, built with AddressSanitizer, UndefinedBehaviorSanitizer (no recovery) and
# LeakSanitizer in build-asan/; the benchmarks are left out, their figures mean nothing there. Every process a test
# starts (the program, the crash writer) inherits the options. Address and leak reports are collected in
# build-asan/sanitizer-logs/; an undefined-behaviour report stops its process, so its test fails. Either fails the run.
# The crash test's thousand kills ran above; here fewer, as each writer starts slower under the sanitizers.
# A warning fails this build too, as it does the fuzz build below.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOQ_BUILD_TESTS=ON -DOQ_BUILD_BENCH=OFF \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
cmake --build build-asan
sanitizer_logs="$PWD/build-asan/sanitizer-logs"
rm -rf "$sanitizer_logs" && mkdir -p "$sanitizer_logs"
sanitizer_failed=0
(
    cd build-asan
    export ASAN_OPTIONS="detect_leaks=1:check_initialization_order=1:log_path=$sanitizer_logs/asan"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$sanitizer_logs/ubsan"
    export LSAN_OPTIONS="suppressions=$PWD/../scripts/sanitizers.supp:print_suppressions=0"
    export OQ_CRASH_KILLS_PER_FILE=50
    # The desktop placement tests drive a real X server, window manager and compositor with time limits fitted to
    # an uninstrumented program; they ran above.
    ctest --output-on-failure -j2 -E '^placement_desktop_'
) || sanitizer_failed=1
sanitizer_reports=$(find "$sanitizer_logs" -type f | wc -l)
echo "Sanitizer reports: $sanitizer_reports"
if [ "$sanitizer_reports" -ne 0 ] || [ "$sanitizer_failed" -ne 0 ]; then
    find "$sanitizer_logs" -type f -exec cat {} +
    echo "The sanitizer build failed; the reports are in $sanitizer_logs"
    exit 1
fi
# --- end of sanitizers ------------------------------------------------------------------------------------------

# Fuzzing: the core is rebuilt with clang and libFuzzer.
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOQ_BUILD_FUZZ=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-fuzz
mkdir -p build-fuzz/logs
for f in build-fuzz/bin/fuzz_*; do
    name=$(basename "$f")
    corpus=$(mktemp -d)
    [ -d "fuzz/corpus/${name#fuzz_}" ] && cp -r "fuzz/corpus/${name#fuzz_}/." "$corpus/"
    log="build-fuzz/logs/$name.log"
    echo "Fuzzing $name for ${FUZZ_SECONDS}s"
    if ! "$f" -max_total_time="$FUZZ_SECONDS" -max_len=65536 -timeout=10 -rss_limit_mb=4096 \
            -artifact_prefix="build-fuzz/logs/$name-" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "$name found a failure; the input is in build-fuzz/logs/"
        exit 1
    fi
    grep -E "^Done [0-9]+ runs" "$log" || tail -n 1 "$log"
    rm -rf "$corpus"
done
echo "All tests passed."
