#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the program's icon into the PNG sizes of the hicolor theme. Run it
# after changing an icon drawing and commit the PNGs (needs librsvg2-bin).
# 16 and 24 pixels come from the small drawing, whose bolder shapes stay sharp.
set -euo pipefail
cd "$(dirname "$0")/../dist/linux/icons"
id=org.ombryquote.OmbryQuote
for size in 16 24 32 48 64 128 256; do
    source=hicolor/scalable/apps/$id.svg
    ((size <= 24)) && source=$id-small.svg
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x${size}/apps/$id.png"
done
