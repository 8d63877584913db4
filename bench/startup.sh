#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up benchmark: the program against a bare Qt window that shows one
# label, started alternately, on a virtual X server (Xvfb) and on the
# offscreen platform. For the sample quotes, 33,000 fortune-like quotes and
# 100,000 of them it prints the medians of launch to first shown quote and
# of peak resident memory, their ratios, and whether the targets hold.
#
#   bench/startup.sh [--rounds N] [--build DIR] [--platforms "xcb offscreen"] [--program PATH] [--check]
#
# --program measures another build of the program (an older one, say) against
# the same bare window.
# --check makes missed targets an error (exit 3); without it only a failed
# run is (exit 1). Launch is stamped by this shell just before it starts the
# process; the process stamps the moment its window is first exposed and
# painted, and reads its own peak resident memory once its start-up work is
# done (OQ_STARTUP_TIMING=exit).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=11
build=build
platforms="xcb offscreen"
check=0
program=""
while (($#)); do
    case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --platforms) platforms=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --check) check=1; shift ;;
    *) echo "usage: $0 [--rounds N] [--build DIR] [--platforms \"xcb offscreen\"] [--program PATH] [--check]" >&2
       exit 2 ;;
    esac
done

cmake --build "$build" --target ombryquote startup_barewindow startup_quotefile >/dev/null
[ -n "$program" ] || program=$build/bin/ombryquote
bare=$build/bin/startup_barewindow

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The quote files, and a settings folder for each that names it.
cp data/Quote.txt "$work/sample.txt"
"$build/bin/startup_quotefile" 33000 "$work/q33000.txt"
"$build/bin/startup_quotefile" 100000 "$work/q100000.txt"
files="sample q33000 q100000"
for f in $files; do
    mkdir -p "$work/home-$f/config/ombryquote" "$work/home-$f/data"
    printf '[quotefile]\nfilename=%s\n' "$work/$f.txt" >"$work/home-$f/config/ombryquote/ombryquote.ini"
done
mkdir -p "$work/home-bare"

if [[ " $platforms " == *" xcb "* ]]; then
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 3>"$work/display" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.05
    done
    if ! [ -s "$work/display" ]; then
        echo "startup: Xvfb did not start" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    display=":$(head -n1 "$work/display")"
fi

# One start: prints "<launch-to-shown µs> <launch-to-ready µs> <peak RSS KiB>".
run_once() { # platform home program
    local platform=$1 home=$2 prog=$3 out start shown ready rss
    local -a env=(env -u WAYLAND_DISPLAY -u DISPLAY "HOME=$work/$home" "XDG_CONFIG_HOME=$work/$home/config"
        "XDG_DATA_HOME=$work/$home/data" "XDG_RUNTIME_DIR=$work" OQ_STARTUP_TIMING=exit "QT_QPA_PLATFORM=$platform")
    [ "$platform" = xcb ] && env+=("DISPLAY=$display")
    start=${EPOCHREALTIME/./}
    if ! out=$(timeout 60 "${env[@]}" "$prog" 2>>"$work/stderr.log"); then
        echo "startup: $prog failed on $platform" >&2
        tail -n 20 "$work/stderr.log" >&2
        return 1
    fi
    shown=$(awk '$2 == "shown-us" { print $3 }' <<<"$out")
    ready=$(awk '$2 == "ready-us" { print $3 }' <<<"$out")
    rss=$(awk '$2 == "peak-rss-kib" { print $3 }' <<<"$out")
    if [ -z "$shown" ] || [ -z "$ready" ] || [ -z "$rss" ]; then
        echo "startup: $prog printed no timing on $platform" >&2
        return 1
    fi
    echo "$((shown - start)) $((ready - start)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Rounds interleave every start, and alternate which of each pair goes
# first, so that a busy moment of the machine falls on both alike.
for ((r = 1; r <= rounds; ++r)); do
    for p in $platforms; do
        for f in $files; do
            if ((r % 2)); then
                run_once "$p" home-bare "$bare" >>"$work/$p-bare.dat"
                run_once "$p" "home-$f" "$program" >>"$work/$p-$f.dat"
            else
                run_once "$p" "home-$f" "$program" >>"$work/$p-$f.dat"
                run_once "$p" home-bare "$bare" >>"$work/$p-bare.dat"
            fi
        done
    done
done

col() { awk -v c="$2" '{ print $c }' "$1" | median; }
ms() { awk -v v="$1" 'BEGIN { printf "%.1f", v / 1000 }'; }
mib() { awk -v v="$1" 'BEGIN { printf "%.1f", v / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

missed=0
target() { # description value limit
    if awk -v v="$2" -v l="$3" 'BEGIN { exit !(v <= l) }'; then
        printf '  %-52s %6s <= %-6s met\n' "$1" "$2" "$3"
    else
        printf '  %-52s %6s >  %-6s MISSED\n' "$1" "$2" "$3"
        missed=1
    fi
}

echo "Start-up, medians of $rounds rounds (ms: launch to first shown quote; ready: title list filled too)"
for p in $platforms; do
    b_shown=$(col "$work/$p-bare.dat" 1)
    b_rss=$(col "$work/$p-bare.dat" 3)
    printf '%-9s %-8s %7s %7s %9s %7s %9s %8s\n' platform file bytes shown ready "x bare" "RSS MiB" "x bare"
    printf '%-9s %-8s %7s %7s %9s %7s %9s %8s\n' "$p" bare - "$(ms "$b_shown")" - 1.00 "$(mib "$b_rss")" 1.00
    for f in $files; do
        shown=$(col "$work/$p-$f.dat" 1)
        ready=$(col "$work/$p-$f.dat" 2)
        rss=$(col "$work/$p-$f.dat" 3)
        printf '%-9s %-8s %7s %7s %9s %7s %9s %8s\n' "$p" "$f" "$(stat -c %s "$work/$f.txt")" "$(ms "$shown")" \
            "$(ms "$ready")" "$(ratio "$shown" "$b_shown")" "$(mib "$rss")" "$(ratio "$rss" "$b_rss")"
    done
done

echo "Targets:"
for p in $platforms; do
    b=$(col "$work/$p-bare.dat" 1)
    s=$(col "$work/$p-sample.dat" 1)
    m=$(col "$work/$p-q33000.dat" 1)
    h=$(col "$work/$p-q100000.dat" 1)
    if [ "$p" = xcb ]; then
        target "xcb: 33,000 quotes shown, x bare window" "$(ratio "$m" "$b")" 2.00
        target "xcb: sample shown, x bare window" "$(ratio "$s" "$b")" 1.30
    fi
    target "$p: 100,000 quotes shown, x 33,000 quotes" "$(ratio "$h" "$m")" 1.10
    # Peak memory: the bare window, plus the fixed cost seen with the sample
    # file, plus three times the file.
    b_rss=$(col "$work/$p-bare.dat" 3)
    s_rss=$(col "$work/$p-sample.dat" 3)
    m_rss=$(col "$work/$p-q33000.dat" 3)
    size=$(stat -c %s "$work/q33000.txt")
    target "$p: 33,000 quotes peak MiB, sample + 3x file" "$(mib "$m_rss")" \
        "$(awk -v b="$b_rss" -v s="$s_rss" -v z="$size" 'BEGIN { printf "%.1f", (s + 3 * z / 1024) / 1024 }')"
done
if ((check && missed)); then
    exit 3
fi
