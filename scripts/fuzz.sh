#!/bin/sh
# Fuzzes the frame receiver with libFuzzer (Debian's clang and libclang-rt-14-dev,
# both in install-deps.sh). Not part of the normal build.
#   scripts/fuzz.sh [seconds]     (default 180)
# Works in build-fuzz/; inputs that reach new code are merged back into
# tests/link/corpus/receiver, which tst_receiver_corpus replays in the test suite.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-180}
out=build-fuzz
CXX=${CXX:-clang++}
mkdir -p "$out/corpus"
"$CXX" -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc -Itests/link/fuzz tests/link/fuzz/fuzz_receiver.cpp src/link/FrameReceiver.cpp -o "$out/fuzz_receiver"
cp tests/link/corpus/receiver/* "$out/corpus/"
"./$out/fuzz_receiver" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus"
"./$out/fuzz_receiver" -merge=1 tests/link/corpus/receiver "$out/corpus"
