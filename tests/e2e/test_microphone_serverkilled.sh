#!/bin/bash
# The audio server goes away in the middle of a solve: the program keeps
# running, the solve is timed and stored, and the next solve works too.
set -u
cadenza="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"

work=$(mktemp -d /tmp/killed.XXXXXX)
sox -R -n -r 44100 -c 1 -b 16 "$work/noise.wav" synth 6 whitenoise vol 0.1

x11_start
pulse_start || fail "PulseAudio did not start"

"$cadenza" >"$work/cadenza.log" 2>&1 &
pid=$!
x11_track $pid
win=$(wait_for_window 'Cadenza v0' 30) || fail "no window"
focus_window "$win" || fail "window did not get the focus"
wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"

play_wav "$work/noise.wav" &
x11_track $!
wait_until "pactl list short sink-inputs | grep -q ." 10 || fail "paplay did not start"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
sleep 1.0
xdotool key space
t_start=$(now_ms)
sleep 1.0
pulse_kill
t_kill=$(now_ms)
note "audio server killed"
sleep 1.0
kill -0 $pid 2>/dev/null || fail "the program died with the audio server"
xdotool key a
t_stop=$(now_ms)
wait_until "[ \"\$(wc -l </tmp/cadenza.times)\" -ge 1 ]" 10 || fail "no solve was stored"

# A second solve without any audio server.
sleep 1.0
xdotool key space
sleep 0.8
xdotool key a
wait_until "[ \"\$(wc -l </tmp/cadenza.times)\" -ge 2 ]" 10 || fail "the second solve was not stored"

close_window_cleanly 'Cadenza v0'
wait_for_exit $pid 30
rc=$?
[ $rc -eq 0 ] || { cat "$work/cadenza.log" >&2; fail "program exited with status $rc"; }

cat /tmp/cadenza.times
[ "$(wc -l </tmp/cadenza.times)" -eq 2 ] || fail "expected two stored solves"
IFS='|' read -r -a f <<<"$(head -n1 /tmp/cadenza.times | sed 's/\[\].*//')"
time_ms=${f[0]%.*}
fed=$((t_stop - t_start))
d=$((time_ms - fed)); d=${d#-}
[ $d -le 250 ] || fail "stored time $time_ms ms, keys $fed ms apart"
# Noise until the kill, nothing after it: the dead capture must not keep
# feeding its last level, so the rest of the solve is one pause.
[ "${f[2]}" -eq 1 ] || fail "expected one pause after the kill, got ${f[2]}"
fed_idle=$(awk -v a="$t_kill" -v b="$t_stop" -v c="$t_start" 'BEGIN { printf "%.3f", (b - a) / (b - c) }')
# (Generous: the key events and the loss of the server reach a busy program
# with delays of their own; a level left stuck at its last value gives 0.)
awk -v i="${f[1]}" -v e="$fed_idle" 'BEGIN { d = i - e; if (d < 0) d = -d; exit !(d <= 0.2) }' \
    || fail "idle fraction ${f[1]}, expected about $fed_idle"
rm -rf "$work"
echo "PASS"
