#!/bin/sh
# Installs the Debian 12 packages the build, the tests, the tools and the benchmarks need
# (libsqlite3-dev: the import binds its rows through SQLite's own interface; sqlite3: the
# baseline of bench/import).
# Quick when everything is already there: apt is only called for missing packages.
set -e
PKGS="g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-serialport-dev
qt6-svg-dev libqt6sql6-sqlite qt6-translations-l10n mdbtools mdbtools-dev libmdb3 libglib2.0-dev xvfb xauth
clang libclang-rt-14-dev fonts-dejavu-core locales sqlite3 libsqlite3-dev poppler-utils"
missing=""
for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
