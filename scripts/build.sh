#!/usr/bin/env bash
# Configures and builds Purvex in build/ (two jobs: the machines have two cores).
# PVX_CMAKE_ARGS adds options to the configure step, e.g. -DCMAKE_COMPILE_WARNING_AS_ERROR=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
read -ra extra <<<"${PVX_CMAKE_ARGS:-}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" >/dev/null
cmake --build build -j2
