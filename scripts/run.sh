#!/bin/sh
# Installs what is missing, builds the program and starts it on its default data
# folder (SLX90_HOME when set, else ~/.local/share/slx90). Arguments go to the program.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc 2>/dev/null || echo 4)" --target slx90
exec ./build/slx90 "$@"
