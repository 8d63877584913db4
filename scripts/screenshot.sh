#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's screenshots: the program built in build/, on the sample
# quotes, in a virtual X display with a window manager (openbox) to frame it.
#   scripts/screenshot.sh [--dark] [--scale F] [out.png]
# --dark shows it under the GTK platform theme with Adwaita's dark variant
# (docs/screenshot-dark.png); --scale sets QT_SCALE_FACTOR (1.5, 2, ...).
# Needs xvfb, openbox and imagemagick, and for --dark qt6-gtk-platformtheme
# (apt-get install -y openbox imagemagick qt6-gtk-platformtheme).
set -euo pipefail
cd "$(dirname "$0")/.."
dark=0
scale=1
while [ $# -gt 0 ]; do
    case $1 in
    --dark) dark=1; shift ;;
    --scale) scale=$2; shift 2 ;;
    *) break ;;
    esac
done
if [ "$dark" = 1 ]; then out=${1:-docs/screenshot-dark.png}; else out=${1:-docs/screenshot.png}; fi
display=:${SCREENSHOT_DISPLAY:-97}
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

theme=()
if [ "$dark" = 1 ]; then
    if ! ls /usr/lib/*/qt6/plugins/platformthemes/libqgtk3.so >/dev/null 2>&1; then
        echo "screenshot.sh: --dark needs the GTK platform theme (apt-get install qt6-gtk-platformtheme)" >&2
        exit 1
    fi
    theme=(QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark)
fi

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
# A fresh profile: the window opens at its designed place and size.
(cd data && exec env DISPLAY="$display" HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    QT_SCALE_FACTOR="$scale" "${theme[@]}" ../build/bin/ombryquote) >"$work/app.log" 2>&1 &
pids+=($!)
sleep 3
# The desktop is black: trimming it leaves the framed window.
DISPLAY=$display import -window root "$work/root.png"
convert "$work/root.png" -trim +repage "$out"
echo "Wrote $out"
