#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshot: the program built in build/, on the sample
# quotes, in a virtual X display with a window manager (openbox) to frame it.
# Needs xvfb, openbox and imagemagick (apt-get install -y openbox imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshot.png}
display=:${SCREENSHOT_DISPLAY:-97}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
# A fresh profile: the window opens at its designed place and size.
(cd data && DISPLAY=$display HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    exec ../build/bin/ombryquote) >"$work/app.log" 2>&1 &
pids+=($!)
sleep 3
# The desktop is black: trimming it leaves the framed window.
DISPLAY=$display import -window root "$work/root.png"
convert "$work/root.png" -trim +repage "$out"
echo "Wrote $out"
