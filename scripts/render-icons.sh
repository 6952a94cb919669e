#!/usr/bin/env bash
# Renders the icon's PNG sizes from packaging/icons/purvex.svg. Run it after changing the
# SVG and commit the PNGs: builds use them as they are and need no image tools.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
command -v rsvg-convert >/dev/null || {
    echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
    exit 1
}
for size in 16 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" purvex.svg --output "${size}x${size}/purvex.png"
done
