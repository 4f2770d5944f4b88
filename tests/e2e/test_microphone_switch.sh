#!/bin/bash
# Choosing an input device in the switch dialog when no capture exists (none
# could be set up, or the last one failed) starts capture on that device.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"
probe="${CADENZA_BUILD_DIR:?}/tests/mic_probe"
[ -x "$probe" ] || fail "mic_probe is not built"
work=$(mktemp -d /tmp/micswitch.XXXXXX)

x11_start
pulse_start || fail "PulseAudio did not start"
"$probe" switch "$work/result" >"$work/probe.log" 2>&1 &
pid=$!
x11_track $pid
wait_for_exit $pid 60
rc=$?
[ $rc -eq 0 ] || { cat "$work/probe.log" >&2; fail "the probe ended with status $rc (124: still running)"; }
cat "$work/result"
grep -qx 'capture_before=yes' "$work/result" || fail "no capture at start"
grep -qx 'capture_dropped=yes' "$work/result" || fail "the capture was not dropped"
grep -q '^chosen=.*vmic' "$work/result" || fail "the dialog did not offer the virtual microphone"
grep -qx 'capture_after=yes' "$work/result" || fail "choosing a device did not start capture"
chosen=$(sed -n 's/^chosen=//p' "$work/result")
grep -qx "current_device=$chosen" "$work/result" || fail "the chosen device is not remembered"
level=$(sed -n 's/^level_after=//p' "$work/result")
awk -v l="$level" 'BEGIN { exit !(l > 0) }' || fail "the new capture delivers no level"
rm -rf "$work"
echo "PASS"
