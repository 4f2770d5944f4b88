#!/bin/bash
# Capture failures leave the program working and honest: with no audio server
# it times and stores a solve without sound figures; the switch dialog starts
# capture when none exists, and a device that cannot start leaves the working
# capture running and says so; the server killed mid-solve still leaves that
# solve and the next one stored, without sound figures, and when the server is
# back capture restarts by itself and the next solve is heard.
set -u
cadenza="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"
work=$(mktemp -d /tmp/micfail.XXXXXX)
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
launch() {
    rm -f $SESSION_FILE
    "$cadenza" >"$work/cadenza.log" 2>&1 & pid=$!; x11_track $pid
    win=$(wait_for_window 'Cadenza v0' 30) || { cat "$work/cadenza.log" >&2; fail "no window"; }
    focus_window "$win" || fail "window did not get the focus"
}
key() { xdotool key "$1"; eval "$2=\$(now_ms)"; }
stored() { wait_until "[ \"\$(wc -l <$SESSION_FILE)\" -ge $1 ]" 10 || fail "solve $1 was not stored"; }
quit() {
    close_window_cleanly 'Cadenza v0'
    wait_for_exit $pid 30 || { cat "$work/cadenza.log" >&2; fail "program did not exit cleanly"; }
    cat $SESSION_FILE; IFS='|' read -r -a f <<<"$(head -n1 $SESSION_FILE | sed 's/\[\].*//')"
    d=$((${f[0]%.*} - t_stop + t_start)); [ ${d#-} -le 250 ] || fail "stored ${f[0]} ms, keys $((t_stop - t_start)) ms apart"
}

x11_start; pulse_client_env  # clients look for a server that is never started
launch; sleep 1.0  # the first start needs 700 ms since the window came up
key space t_start; sleep 1.5; key a t_stop; stored 1; quit
silent() { [ "${f[1]}" = 0 ] && [ "${f[2]}" = 0 ] || fail "$1: expected no sound figures, got idle ${f[1]}, ${f[2]} pauses"; }
silent "no server"

pulse_start || fail "PulseAudio did not start"
"$CADENZA_BUILD_DIR/tests/mic_probe" switch "$work/switch" >"$work/probe.log" 2>&1 & x11_track $!
wait_for_exit $! 60 || { cat "$work/probe.log" >&2; fail "the switch probe failed"; }
cat "$work/switch"
for kv in capture_before=yes capture_dropped=yes level_after=yes; do grep -qx $kv "$work/switch" || fail "expected $kv"; done
chosen=$(sed -n 's/^chosen=//p' "$work/switch")
[[ $chosen == *vmic* ]] && grep -qx "current_device=$chosen" "$work/switch" || fail "vmic was not chosen and remembered"
"$CADENZA_BUILD_DIR/tests/mic_probe" switchfail "$work/switchfail" >"$work/probe.log" 2>&1 & x11_track $!
wait_for_exit $! 60 || { cat "$work/probe.log" >&2; fail "the failing switch probe failed"; }
cat "$work/switchfail"
for kv in capture_before=yes capture_kept=yes level_after=yes; do grep -qx $kv "$work/switchfail" || fail "failed switch: expected $kv"; done
grep -q '^told=.*could not be started\. The previous input keeps running\.$' "$work/switchfail" || fail "the user was not told"
in_use=$(sed -n 's/^in_use=//p' "$work/switchfail")
[ -n "$in_use" ] && grep -qxF "preselected=$in_use" "$work/switchfail" || fail "the dialog did not preselect the device in use ($in_use)"

sox -R -n -r 44100 -c 1 -b 16 "$work/noise.wav" synth 6 whitenoise vol 0.1
launch
records() { pactl list short source-outputs | grep -q protocol-native; }  # the loopback's own is not the program's
wait_until records 20 || fail "the program does not record"
play_wav "$work/noise.wav" & x11_track $!
wait_until "pactl list short sink-inputs | grep -q ." 10 || fail "paplay did not start"
sleep 1.0; key space t_start; sleep 1.0; pulse_kill; sleep 1.0
kill -0 $pid 2>/dev/null || fail "the program died with the audio server"
key a t_stop; stored 1; sleep 1.0; key space t2; sleep 0.8; key a t2; stored 2; sleep 1.5
# The server back (more than 3 s after the loss, when Qt's PulseAudio backend
# has made its one attempt to reconnect): capture restarts by itself, and a
# solve of noise then silence is heard (a pause after the noise).
pulse_start || fail "PulseAudio did not start again"; t_back=$(now_ms)
wait_until records 30 || fail "capture did not restart within 30 s"
note "capture restarted $(( $(now_ms) - t_back )) ms after the server was back, through" \
    "$(pactl list source-outputs | grep -v loopback | grep -m1 'application.name')"
sox -R -n -r 44100 -c 1 -b 16 "$work/burst.wav" synth 0.8 whitenoise vol 0.1
sleep 1.0; key space t3; play_wav "$work/burst.wav"; sleep 1.5; key a t3; stored 3
heard=$(sed -n 3p $SESSION_FILE | sed 's/\[\].*//' | cut -d'|' -f2,3); note "after the restart: idle|pauses = $heard"
quit
[ "$(wc -l <$SESSION_FILE)" -eq 3 ] || fail "expected three stored solves"
silent "server killed mid-solve"
IFS='|' read -r -a f <<<"$(sed -n 2p $SESSION_FILE | sed 's/\[\].*//')"; silent "no server after the kill"
awk -F'|' -v h="$heard" 'BEGIN { split(h, a); exit !(a[2] >= 1 && a[1] > 0.2 && a[1] < 0.95) }' \
    || fail "the solve after the restart was not heard: idle|pauses = $heard"
rm -rf "$work"; echo PASS
