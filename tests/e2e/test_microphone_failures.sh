#!/bin/bash
# Capture failures leave the program working: with no audio server it times
# and stores a solve; the switch dialog starts capture when none exists; the
# server killed mid-solve still leaves that solve and the next one stored.
set -u
cadenza="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"
export QT_QPA_PLATFORM=xcb
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
[ "${f[2]}" -eq 1 ] || fail "expected the silent solve to be one pause, got ${f[2]}"

pulse_start || fail "PulseAudio did not start"
"$CADENZA_BUILD_DIR/tests/mic_probe" switch "$work/switch" >"$work/probe.log" 2>&1 & x11_track $!
wait_for_exit $! 60 || { cat "$work/probe.log" >&2; fail "the switch probe failed"; }
cat "$work/switch"
for kv in capture_before=yes capture_dropped=yes level_after=yes; do grep -qx $kv "$work/switch" || fail "expected $kv"; done
chosen=$(sed -n 's/^chosen=//p' "$work/switch")
[[ $chosen == *vmic* ]] && grep -qx "current_device=$chosen" "$work/switch" || fail "vmic was not chosen and remembered"

sox -R -n -r 44100 -c 1 -b 16 "$work/noise.wav" synth 6 whitenoise vol 0.1
launch
wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"
play_wav "$work/noise.wav" & x11_track $!
wait_until "pactl list short sink-inputs | grep -q ." 10 || fail "paplay did not start"
sleep 1.0; key space t_start; sleep 1.0; pulse_kill; t_kill=$(now_ms); sleep 1.0
kill -0 $pid 2>/dev/null || fail "the program died with the audio server"
key a t_stop; stored 1; sleep 1.0; key space t2; sleep 0.8; key a t2; stored 2; quit
[ "$(wc -l <$SESSION_FILE)" -eq 2 ] || fail "expected two stored solves"
# Noise until the kill and nothing after: a dead capture must not keep feeding
# its last level (generous: the key events and the loss reach a busy program late).
[ "${f[2]}" -eq 1 ] || fail "expected one pause after the kill, got ${f[2]}"
awk -v i="${f[1]}" -v e="$(( (t_stop - t_kill) * 1000 / (t_stop - t_start) ))" \
    'BEGIN { d = i - e / 1000; exit !(d <= 0.2 && d >= -0.2) }' || fail "idle fraction ${f[1]} after the kill"
rm -rf "$work"; echo PASS
