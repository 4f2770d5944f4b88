#!/bin/sh
# Builds the fuzz harnesses with clang's libFuzzer and the address and
# undefined-behaviour sanitizers. Only the sources each harness needs are
# compiled, against the system's Qt. Usage: sh fuzz/build.sh [outdir]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src="$here/../src"
out="${1:-$here/out}"
mkdir -p "$out"
flags="-g -O1 -std=c++17 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"

# The csTimer reader and writer, without the window's dialogs.
clang++ $flags -DCADENZA_CSTIMER_READER_ONLY -I"$src" \
    "$here/fuzz_cstimer.cpp" "$src/exchange/cstimer.cpp" \
    $(pkg-config --cflags --libs Qt5Core) -o "$out/fuzz_cstimer"
echo "built $out/fuzz_cstimer"

# The times-file reader and writer. Their source file also holds the window's
# load and save operations, which reach the rest of the window: those symbols
# come from an ordinary build's library (not instrumented; never called here).
# Set CADENZA_BUILD_DIR to that build (default: ../build).
lib="${CADENZA_BUILD_DIR:-$here/../build}/libcadenzacore.a"
if [ -f "$lib" ]; then
    uic=$(pkg-config --variable=host_bins Qt5Core)/uic
    "$uic" "$src/form/cadenza.ui" -o "$out/ui_cadenza.h"
    clang++ $flags -I"$src" -I"$out" \
        "$here/fuzz_timesfile.cpp" "$src/session/timesfile.cpp" "$lib" \
        $(pkg-config --cflags --libs Qt5Widgets Qt5Multimedia) -o "$out/fuzz_timesfile"
    echo "built $out/fuzz_timesfile"
else
    echo "skipped fuzz_timesfile: no $lib (build the program first)"
fi
