#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the program's icon into the PNG sizes of the hicolor theme. Run it
# after changing an icon drawing and commit the PNGs (needs librsvg2-bin).
# 16 and 24 pixels come from the small drawing, whose bolder shapes stay sharp.
# The icon's name and sizes are those of the root CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
id=$(sed -n 's/^set(OQ_APP_ID *"\(.*\)")$/\1/p' CMakeLists.txt)
sizes=$(sed -n 's/^set(OQ_ICON_SIZES \(.*\))$/\1/p' CMakeLists.txt)
if [ -z "$id" ] || [ -z "$sizes" ]; then
    echo "render-icons.sh: OQ_APP_ID or OQ_ICON_SIZES not found in CMakeLists.txt" >&2
    exit 1
fi
cd dist/linux/icons
for size in $sizes; do
    source=hicolor/scalable/apps/$id.svg
    ((size <= 24)) && source=$id-small.svg
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x${size}/apps/$id.png"
done
