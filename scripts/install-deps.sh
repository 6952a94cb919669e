#!/usr/bin/env bash
# Installs the Debian 12 packages Purvex needs to build, run and test, when they are missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6printsupport6 qt6-qpa-plugins
    # the help: Qt Help, qhelpgenerator, and the SQLite driver the help engine reads with
    qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools libqt6sql6-sqlite
    libsqlite3-dev sqlite3
    # the network version: PostgreSQL's client library, and the server the tests start a
    # throwaway cluster of
    libpq-dev postgresql
    # the reader of Access-format files that import uses (libmdb of mdbtools)
    mdbtools-dev
    # the report font, and a sans-serif font for the windows
    fonts-liberation fonts-dejavu-core
    poppler-utils libxml2-utils
    xvfb xauth
    # the manual pages: made from --help by help2man, read back by man as lintian reads them
    help2man man-db
    # CI: the formatting check, the desktop entry and metainfo validators, and the .deb
    # (cpack runs dpkg-shlibdeps from dpkg-dev, and file to find the programs in it; lintian
    # judges it as Debian judges a package)
    clang-format
    desktop-file-utils appstream dpkg-dev file lintian
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
