#!/usr/bin/env bash
# Installs what is missing, builds, makes demo/pvx.mdb with sample records if there is
# none, and opens Purvex in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
mkdir -p demo
if [ ! -f demo/pvx.mdb ]; then
    build/pvxadmin demo demo
fi
cd demo
exec ../build/purvex
