#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# One huge line: a text file of one 20 MB line (any text file opened with the
# program may be one) against the sample quotes, on a virtual X server. Prints
# the medians of launch to first shown quote and of peak resident memory, and
# whether the targets hold: shown within 2 s, and at most 200 MiB more than the
# sample file.
#
#   bench/hugeline.sh [--rounds N] [--build DIR] [--program PATH] [--display N] [--check]
#
# --display N runs the X server as display :N instead of the first free one.
# --program measures another build (an older one, say); --check makes a missed
# target an error (exit 3).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=5
build=build
program=""
check=0
display_number=""
while (($#)); do
    case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --display) display_number=$2; shift 2 ;;
    --check) check=1; shift ;;
    *) echo "usage: $0 [--rounds N] [--build DIR] [--program PATH] [--display N] [--check]" >&2; exit 2 ;;
    esac
done
[ -n "$program" ] || { cmake --build "$build" --target ombryquote >/dev/null; program=$build/bin/ombryquote; }

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cp data/Quote.txt "$work/sample.txt"
# Words and spaces, no line end: 20 MiB.
awk 'BEGIN { s = "lorem ipsum dolor sit amet "; for (n = 0; n < 20 * 1024 * 1024; n += length(s)) printf "%s", s }' \
    >"$work/huge.txt"

if [ -n "$display_number" ]; then
    Xvfb ":$display_number" -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -S "/tmp/.X11-unix/X$display_number" ] && echo "$display_number" >"$work/display" && break
        sleep 0.05
    done
else
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 3>"$work/display" &
    xvfb_pid=$!
fi
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || { echo "hugeline: Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

# One start: "<launch-to-shown ms> <peak RSS KiB>", peak RSS from /usr/bin/time -v.
run_once() { # file
    local out start shown rss
    rm -rf "$work/home" && mkdir -p "$work/home/config" "$work/home/data"
    start=${EPOCHREALTIME/./}
    out=$(timeout 120 env -u WAYLAND_DISPLAY "HOME=$work/home" "XDG_CONFIG_HOME=$work/home/config" \
        "XDG_DATA_HOME=$work/home/data" "XDG_RUNTIME_DIR=$work" OQ_STARTUP_TIMING=exit QT_QPA_PLATFORM=xcb \
        "DISPLAY=$display" /usr/bin/time -v -o "$work/time.txt" "$program" "$work/$1" 2>/dev/null) || {
        echo "hugeline: $program failed on $1" >&2
        return 1
    }
    shown=$(awk '$2 == "shown-us" { print $3 }' <<<"$out")
    rss=$(awk -F: '/Maximum resident/ { print $2 + 0 }' "$work/time.txt")
    echo "$(((shown - start) / 1000)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for ((r = 1; r <= rounds; ++r)); do
    run_once sample.txt >>"$work/sample.dat"
    run_once huge.txt >>"$work/huge.dat"
done

col() { awk -v c="$2" '{ print $c }' "$1" | median; }
s_ms=$(col "$work/sample.dat" 1)
s_rss=$(col "$work/sample.dat" 2)
h_ms=$(col "$work/huge.dat" 1)
h_rss=$(col "$work/huge.dat" 2)
extra=$(((${h_rss%.*} - ${s_rss%.*}) / 1024))
echo "One 20 MB line, medians of $rounds rounds on $display"
printf '  %-10s %8s %10s\n' file "shown ms" "RSS MiB" sample "$s_ms" "$((${s_rss%.*} / 1024))" huge "$h_ms" \
    "$((${h_rss%.*} / 1024))"
missed=0
if ((${h_ms%.*} <= 2000)); then echo "  shown within 2000 ms: met"; else echo "  shown within 2000 ms: MISSED"; missed=1; fi
if ((extra <= 200)); then echo "  +$extra MiB <= 200: met"; else echo "  +$extra MiB <= 200: MISSED"; missed=1; fi
((check && missed)) && exit 3
exit 0
