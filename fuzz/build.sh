#!/bin/sh
# Builds the fuzz harnesses with clang's libFuzzer and the address and
# undefined-behaviour sanitizers. Only the sources each harness needs are
# compiled; Qt Core comes from the system. Usage: sh fuzz/build.sh [outdir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
out="${1:-$here/out}"
mkdir -p "$out"
flags="-g -O1 -std=c++17 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
qt="$(pkg-config --cflags --libs Qt5Core)"

clang++ $flags -DCADENZA_CSTIMER_READER_ONLY -I"$src" \
    "$here/fuzz_cstimer.cpp" "$src/exchange/cstimer.cpp" $qt -o "$out/fuzz_cstimer"
echo "built $out/fuzz_cstimer"
