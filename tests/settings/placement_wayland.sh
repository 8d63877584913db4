#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main window on Wayland (a headless weston), where a program cannot learn where its window stands nor
# minimise it and see it so: what it saves keeps the stored position and the stored minimised state, and takes
# the window's size. Exit 77: skipped.
#   placement_wayland.sh PROGRAM QUOTE_FOLDER
set -uo pipefail
program=$1 quotes=$2
command -v weston >/dev/null || { echo "SKIP: weston is missing (scripts/setup.sh installs it)"; exit 77; }
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    cat "$work"/*.log 2>/dev/null
    exit 1
}
wait_for() {
    local until=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME/./} > until)) && return 1
        sleep 0.05
    done
}

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config HOME=$work WAYLAND_DISPLAY=wl-oq-test
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=($!)
wait_for 30 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "weston did not start"

mkdir -p "$XDG_CONFIG_HOME/ombryquote"
for store in ombryquote.ini:Position ombryquote:FormStorage; do
    printf '[%s]\nShowCmd=2\nNormPos=300,300,800,600\n' "${store#*:}" >"$XDG_CONFIG_HOME/ombryquote/${store%:*}"
done
(cd "$quotes" && QT_QPA_PLATFORM=wayland OQ_STARTUP_TIMING=1 exec env -u DISPLAY "$program") >"$work/app.log" 2>&1 &
app=$!
pids+=("$app")
wait_for 60 grep -q 'oq-startup ready-us' "$work/app.log" || {
    grep -q 'platform plugin "wayland"' "$work/app.log" && { echo "SKIP: Qt has no Wayland plugin (qt6-wayland)"; exit 77; }
    fail "the window did not come up"
}
kill -TERM "$app"
wait "$app" || fail "the program ended with status $?"

# Both stores, both keys: the stored position, the window's size (500 x 300 as stored), the stored state.
for file in ombryquote.ini ombryquote; do
    got=$(grep -E '^(ShowCmd|Flags|NormPos)' "$XDG_CONFIG_HOME/ombryquote/$file" | sed 's/^NormPos([0-9x]*)=/NormPos(screen)=/' | sort)
    want=$(printf 'Flags=0\nNormPos(screen)=300,300,800,600\nNormPos=300,300,800,600\nShowCmd=2')
    [ "$got" = "$want" ] || fail "$file holds:
$got"
done
echo "ok: position and minimised state kept, size saved"
