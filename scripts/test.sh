#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and runs every test: the unit and widget tests (CTest),
# a short benchmark smoke run, and each fuzz target for 60 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

bash scripts/build.sh -DOQ_BUILD_TESTS=ON -DOQ_BUILD_BENCH=ON
(cd build && ctest --output-on-failure -j2)

# The benchmarks must keep running; their figures are read from a full run.
for b in build/bin/bench_*; do
    [ -x "$b" ] && "$b" --benchmark_min_time=0.01 >/dev/null
done
# Start-up against a bare Qt window, a few rounds (a full run takes more).
bash bench/startup.sh --rounds 2

# Fuzzing: the core is rebuilt with clang and libFuzzer.
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOQ_BUILD_FUZZ=ON
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
