#!/bin/bash
# A Stackmat timer through the virtual microphone: a generated solve of
# 12.345 s (reset, ready, running, stopped for 2 s, reset) at 44.1 kHz, which
# the audio server resamples to the program's 8 kHz capture, is stored once,
# as 12345 ms, with no sound figures; no key is touched.
# Usage: test_stackmat_solve.sh CADENZA_BINARY (inside a private /tmp)
set -u
source "$(dirname "$0")/lib/x11.sh"; source "$(dirname "$0")/lib/pulse.sh"
probe="${CADENZA_BUILD_DIR:?}/tests/stackmat_probe"
for tool in Xvfb pulseaudio pactl paplay sox wmctrl; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d /tmp/stackmat.XXXXXX)
CONF="${XDG_CONFIG_HOME:-$HOME/.config}/Merlo/Cadenza.conf"

"$probe" wav "$work/solve.wav" 12345 44100 || fail "stackmat_probe wav failed"
# The file as an 8 kHz capture hears it holds the run and its stop.
sox -V1 -D "$work/solve.wav" -t raw -r 8000 -e unsigned -b 8 -c 1 "$work/capture.u8" || fail "sox failed"
"$probe" read "$work/capture.u8" >"$work/read.txt" || fail "stackmat_probe read failed"
grep -qx 'stop 12345' "$work/read.txt" || { cat "$work/read.txt" >&2; fail "the audio does not hold the stop at 12.345 s"; }

x11_start
pulse_start || fail "PulseAudio did not start"
mkdir -p "$(dirname "$CONF")" && printf '[General]\nactionStackmat_Timer=1\n' >"$CONF"
rm -f "$SESSION_FILE"
start_cadenza
wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"
play_wav "$work/solve.wav" || fail "paplay failed"
wait_until "[ -s \"\$SESSION_FILE\" ]" 10 || fail "no solve was stored"
close_cadenza
cat "$SESSION_FILE"
[ "$(lines)" -eq 1 ] || fail "expected one stored solve"
IFS='|' read -r -a f <<<"$(sed 's/\[\].*//' "$SESSION_FILE")"
[ "${f[0]}" = 12345 ] || fail "stored ${f[0]} ms, not 12345"
[ "${f[1]}" = 0 ] && [ "${f[2]}" = 0 ] || fail "a Stackmat's solve has no pause figures: idle ${f[1]}, ${f[2]} pauses"
[ "$(sed 's/.*|//' "$SESSION_FILE")" = 0 ] || fail "stored with a penalty"
rm -rf "$work"; echo PASS
