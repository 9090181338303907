#!/bin/sh
# Installs what is missing, builds the program and runs every test: once in a
# normal build (build/) and once built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/). Both builds are the presets of
# CMakePresets.json; the sanitizer's options are in its test preset.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 4)

cmake --preset normal >/dev/null
cmake --build --preset normal -j "$jobs"
ctest --preset normal -j "$jobs"

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
