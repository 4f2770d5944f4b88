#!/bin/sh
# Runs one fuzz harness at low priority with leak checking on.
# Usage: sh fuzz/run.sh HARNESS [libFuzzer arguments...]
# The suppression of Qt's own JSON-parser leak (lsan.supp) names a function
# deep in the allocation's stack; the fast unwinder stops after a few frames
# and never reaches it, so the suppression only matches with full unwinding
# (fast_unwind_on_malloc=0, read by the address sanitizer and by the leak
# checker alike). Without it, the first input that repeats a JSON key ends the
# run with a leak report.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: sh fuzz/run.sh HARNESS [libFuzzer arguments...]" >&2; exit 2; }
harness="$1"
shift
export ASAN_OPTIONS="fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="fast_unwind_on_malloc=0:suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec nice -n 19 "$harness" "$@"
