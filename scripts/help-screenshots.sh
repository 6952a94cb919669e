#!/usr/bin/env bash
# Takes the screenshots of the help (help/images/*.png) from the running program under
# Xvfb, on a fresh demo database, and compiles the help again with them.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh
scripts/build.sh
cmake --build build -j2 --target help_screenshots
mkdir -p help/images
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/pvxadmin demo "$work" --records 60 >/dev/null
(
    cd "$work"
    LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$top/build/help_screenshots" "$top/help/images"
)
cmake --build build -j2 --target help_collection
