#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times whole processes side by side on a generated 33,000-quote file written
# in both formats: the terminal mode against the floor of any Qt program
# (oqbench_qtstart) and against Debian's fortune; then the load of the
# fortune file against the load of the program's own format.
#   bash bench/terminal.sh [BUILD_FOLDER]        (default: build)
# hyperfine and fortune-mod are peer tools, installed for this comparison
# only. Nothing here touches the user's settings.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
fortune=/usr/games/fortune

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
[ -x "$fortune" ] || missing+=(fortune-mod)
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --build "$build" --target ombryquote oqbench_qtstart oqbench_writefiles bench_quotes >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/oqbench_writefiles" "$work"
program=$(realpath "$build/bin/ombryquote")
floor=$(realpath "$build/bin/oqbench_qtstart")
# No display, and a settings folder of its own.
unset DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$work/config"

echo "== One random quote (33,000 quotes; the fortune file has its index)"
hyperfine -N --warmup 20 --runs "${RUNS:-300}" --export-markdown "$work/print.md" \
    -n "minimal Qt program" "$floor" \
    -n "ombryquote --print cookies" "$program --print $work/cookies" \
    -n "fortune cookies" "$fortune $work/cookies" \
    -n "ombryquote --print quotes.txt" "$program --print $work/quotes.txt"
cat "$work/print.md"

echo "== Every quote that holds \"love\""
# fortune -m ends with status 1 even when it prints matches.
hyperfine -N -i --warmup 3 --runs "${SEARCH_RUNS:-30}" --export-markdown "$work/search.md" \
    -n "ombryquote --search love cookies" "$program --search love $work/cookies" \
    -n "fortune -i -m love cookies" "$fortune -i -m love $work/cookies" \
    -n "ombryquote --search love quotes.txt" "$program --search love $work/quotes.txt"
cat "$work/search.md"
echo "quotes found: ombryquote $("$program" --search love "$work/cookies" | grep -cx '%')," \
    "fortune $("$fortune" -i -m love "$work/cookies" 2>/dev/null | grep -cx '%')"

# What --print reads of the fortune file: one entry, not the whole text.
if command -v strace >/dev/null; then
    strace -f -o "$work/trace" -e trace=openat,read,pread64 "$program" --print "$work/cookies" >/dev/null
    read_bytes=$(awk -v f="\"$work/cookies\"" '
        index($0, "openat(") && index($0, f ",") { fd = $NF; next }
        fd != "" && index($0, "read(" fd ",") { s += $NF }
        END { print s + 0 }' "$work/trace")
    echo "== --print with the index read $read_bytes of the $(stat -c %s "$work/cookies") bytes of the text"
fi

echo "== Loading the fortune file against the program's own format (CPU time counts)"
"$build/bin/bench_quotes" --benchmark_filter='BM_Load(Fortune)?File$' --benchmark_repetitions=10 \
    --benchmark_report_aggregates_only=true
