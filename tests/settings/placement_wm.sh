#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main window on a real desktop. Exit 77: skipped.
#   placement_wm.sh PROGRAM QUOTE_FOLDER starts [N]  N starts in a row, each on a fresh virtual X server (Xvfb)
#                                                    with a fresh openbox: each opens at the saved outer
#                                                    rectangle and saves nothing new
#   placement_wm.sh PROGRAM QUOTE_FOLDER states      minimise, maximise and restore in several orders under
#                                                    openbox: the normal rectangle survives them all
#   placement_wm.sh PROGRAM QUOTE_FOLDER wayland     on a headless weston, where no position is known and no
#                                                    minimising seen: the stored ones are kept, the size saved
# OQ_TEST_DISPLAY pins the X display number (default: the X server picks a free one).
set -uo pipefail
program=$1 quotes=$2 mode=$3 count=${4:-30}
tools="Xvfb openbox xprop xwininfo wmctrl xdotool"
[ "$mode" = wayland ] && tools=weston
for tool in $tools; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup.sh installs it)"; exit 77; }
done
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

export XDG_CONFIG_HOME=$work/config HOME=$work XDG_DATA_HOME=$work/data
ini=$XDG_CONFIG_HOME/ombryquote/ombryquote.ini
storage=$XDG_CONFIG_HOME/ombryquote/ombryquote
Saved=300,300,800,600 Outer=300,300,500x300

# Polls a condition every 50 ms for up to $1 seconds: slow machines get time, fast ones lose none.
wait_for() {
    local until=$((${EPOCHREALTIME/./} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME/./} > until)) && return 1
        sleep 0.05
    done
}

start_desktop() {
    rm -f "$work/display"
    if [ -n "${OQ_TEST_DISPLAY:-}" ]; then
        wait_for 20 test ! -e "/tmp/.X${OQ_TEST_DISPLAY#:}-lock" || fail "display $OQ_TEST_DISPLAY is taken"
        Xvfb "$OQ_TEST_DISPLAY" -nolisten tcp -noreset -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
        echo "${OQ_TEST_DISPLAY#:}" >"$work/display"
    else
        Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 3>"$work/display" &
    fi
    xvfb=$!
    pids+=("$xvfb")
    wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=:$(head -n1 "$work/display")
    wait_for 20 xwininfo -root >/dev/null 2>&1 || fail "Xvfb does not answer"
    # The program starts the moment openbox has come up, as in a session that is starting. Not sooner: a window
    # mapped while openbox is still starting may never be managed (xmessage shows that too).
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
    pids+=("$wm")
    wait_for 20 wmctrl -l >/dev/null 2>&1 || fail "openbox did not start"
    (cd "$quotes" && QT_QPA_PLATFORM=xcb exec env -u WAYLAND_DISPLAY "$program") >"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
}

stop_desktop() {
    kill -TERM "$app" 2>/dev/null
    wait_for 20 eval '! kill -0 $app 2>/dev/null' || fail "the program did not end on SIGTERM"
    wait "$app"
    local status=$?
    kill "$wm" "$xvfb" 2>/dev/null
    wait "$wm" "$xvfb" 2>/dev/null
    pids=()
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# The program's window once openbox manages it.
find_window() {
    win=$(wmctrl -l -p 2>/dev/null | awk -v pid="$app" '$3 == pid { print $1; exit }')
    [ -n "$win" ]
}

# The window's outer rectangle "left,top,WIDTHxHEIGHT" from its client geometry and the frame openbox reports.
outer() {
    local extents x y w h
    extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    [ -n "$extents" ] || return 1
    IFS=, read -r l r t b <<<"$extents"
    read -r x y w h < <(xwininfo -id "$win" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF }
        /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
    [ -n "$h" ] || return 1
    echo "$((x - l)),$((y - t)),$((w + l + r))x$((h + t + b))"
}
at_outer() { [ "$(outer)" = "$1" ]; }
states() { xprop -id "$win" _NET_WM_STATE 2>/dev/null; }
has_state() { states | grep -q "$1"; }
lacks_state() { states | grep -q '_NET_WM_STATE' && ! states | grep -q "$1"; }
key() { sed -n "s/^$2=//p" "$1" | head -n1; }

seed() {
    rm -rf "$XDG_CONFIG_HOME"
    mkdir -p "$XDG_CONFIG_HOME/ombryquote"
    printf '[Position]\nFormVersion=0\nShowCmd=%s\nNormPos=%s\n' "$1" "$Saved" >"$ini"
}

case $mode in
starts)
    seed 1
    off=0
    for ((run = 1; run <= count; ++run)); do
        start_desktop
        wait_for 20 find_window || fail "start $run: no managed window"
        wait_for 10 at_outer "$Outer" || { ((++off)); echo "start $run: opened at $(outer), not $Outer"; }
        stop_desktop
        got=$(cat "$ini"; echo; cat "$storage")
        if ((run == 1)); then
            reference=$got
            for file in "$ini" "$storage"; do
                for k in 'NormPos' 'NormPos(1280x1024)'; do
                    [ "$(key "$file" "$k")" = "$Saved" ] || { echo "start 1: $file $k=$(key "$file" "$k")"; ((++off)); }
                done
            done
        elif [ "$got" != "$reference" ]; then
            ((++off))
            echo "start $run: saved NormPos=$(key "$ini" NormPos), the profile changed:"
            diff <(echo "$reference") <(echo "$got")
            reference=$got
        fi
    done
    echo "$count starts, $off off the saved rectangle or saving a new one"
    ((off == 0)) || exit 1
    ;;
states)
    # Each row: the stored show command, what the task bar does (at once, or once the window is minimised), and
    # the show command saved. The next start opens in that state and is brought back to normal.
    # openbox now and then places a window that starts minimised before it takes the program's request (about
    # one run in eight on a busy machine): a row that fails is tried once more and said to have needed it.
    row() {
        trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; wait 2>/dev/null' EXIT
        seed "$showcmd"
        start_desktop
        wait_for 20 find_window || fail "$actions: no managed window"
        for action in ${actions//,/ }; do
            case $action in
            hidden) wait_for 20 has_state HIDDEN ;;
            min) xdotool windowminimize "$win"; wait_for 20 has_state HIDDEN ;;
            max) wmctrl -i -r "$win" -b add,maximized_vert,maximized_horz; wait_for 20 has_state MAXIMIZED_VERT ;;
            unmax) wmctrl -i -r "$win" -b remove,maximized_vert,maximized_horz; wait_for 20 lacks_state MAXIMIZED ;;
            act) wmctrl -i -a "$win"; wait_for 20 lacks_state HIDDEN ;;
            esac || fail "$actions: $action did not take"
        done
        stop_desktop
        for file in "$ini" "$storage"; do
            [ "$(key "$file" ShowCmd)" = "$saved" ] || fail "$actions: $file ShowCmd=$(key "$file" ShowCmd), not $saved"
            [ "$(key "$file" NormPos)" = "$Saved" ] || fail "$actions: $file NormPos=$(key "$file" NormPos)"
        done
        # The next start, brought back to normal, stands where the window stood.
        start_desktop
        wait_for 20 find_window || fail "$actions, next start: no managed window"
        [ "$saved" = 3 ] && { wait_for 20 has_state MAXIMIZED_VERT || fail "$actions, next start: not maximised"; }
        wmctrl -i -a "$win"
        wmctrl -i -r "$win" -b remove,maximized_vert,maximized_horz
        wait_for 20 at_outer "$Outer" || fail "$actions, next start: restored at $(outer), not $Outer $(xprop -id $win _NET_FRAME_EXTENTS _NET_WM_STATE WM_NORMAL_HINTS; xwininfo -id $win)"
        stop_desktop
    }
    while read -r showcmd actions saved; do
        if (row); then
            echo "ok: ShowCmd=$showcmd then $actions"
        else
            echo "RETRY: ShowCmd=$showcmd then $actions failed once; trying again"
            (row) || exit 1
            echo "ok on the second try: ShowCmd=$showcmd then $actions"
        fi
    done <<'EOF'
2 max,act 3
2 hidden,max,act 3
2 hidden,act,max 3
1 max,min,act 3
1 max,min,act,unmax 1
1 min,act,max,unmax,min 2
EOF
    ;;
wayland)
    export XDG_RUNTIME_DIR=$work/run WAYLAND_DISPLAY=wl-oq-test
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 >"$work/weston.log" 2>&1 &
    pids+=($!)
    wait_for 30 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "weston did not start"
    seed 2
    printf '[FormStorage]\nShowCmd=2\nNormPos=%s\n' "$Saved" >"$storage"
    (cd "$quotes" && QT_QPA_PLATFORM=wayland OQ_STARTUP_TIMING=1 exec env -u DISPLAY "$program") >"$work/app.log" 2>&1 &
    app=$!
    pids+=("$app")
    wait_for 60 grep -qs 'oq-startup ready-us' "$work/app.log" || {
        grep -q 'platform plugin "wayland"' "$work/app.log" && { echo "SKIP: Qt has no Wayland plugin"; exit 77; }
        fail "the window did not come up"
    }
    kill -TERM "$app"
    wait "$app" || fail "the program ended with status $?"
    # Both stores, both keys: the stored position, the window's size (500 x 300 as stored), the stored state.
    for file in "$ini" "$storage"; do
        got=$(grep -E '^(ShowCmd|Flags|NormPos)' "$file" | sed 's/^NormPos([0-9x]*)=/NormPos(screen)=/' | sort)
        [ "$got" = "$(printf 'Flags=0\nNormPos(screen)=%s\nNormPos=%s\nShowCmd=2' "$Saved" "$Saved")" ] \
            || fail "$file holds: $got"
    done
    echo "ok: position and minimised state kept, size saved"
    ;;
esac
