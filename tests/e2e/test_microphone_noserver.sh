#!/bin/bash
# No audio server at all: the program starts, times a solve with the keyboard
# and stores it; without a capture the level record is silence.
set -u
cadenza="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"

x11_start
# Clients look for a private server that is never started (and may not
# spawn one).
pulse_client_env
log=$(mktemp /tmp/noserver.XXXXXX)

"$cadenza" >"$log" 2>&1 &
pid=$!
x11_track $pid
win=$(wait_for_window 'Cadenza v0' 30) || { cat "$log" >&2; fail "no window"; }
focus_window "$win" || fail "window did not get the focus"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# The first start needs 700 ms since the window came up.
sleep 1.0
xdotool key space
t_start=$(now_ms)
sleep 1.5
xdotool key a
t_stop=$(now_ms)
wait_until "[ -s /tmp/cadenza.times ]" 10 || fail "no solve was stored"
kill -0 $pid 2>/dev/null || fail "the program is gone"

close_window_cleanly 'Cadenza v0'
wait_for_exit $pid 30
rc=$?
[ $rc -eq 0 ] || { cat "$log" >&2; fail "program exited with status $rc"; }

[ "$(wc -l </tmp/cadenza.times)" -eq 1 ] || fail "expected one stored solve: $(cat /tmp/cadenza.times)"
line=$(cat /tmp/cadenza.times)
echo "stored: $line"
IFS='|' read -r -a f <<<"${line%%\[\]*}"
time_ms=${f[0]%.*}
fed=$((t_stop - t_start))
d=$((time_ms - fed)); d=${d#-}
[ $d -le 250 ] || fail "stored time $time_ms ms, keys $fed ms apart"
# Nothing was heard: the whole solve is one pause.
[ "${f[2]}" -eq 1 ] || fail "expected the silent record to be one pause, got ${f[2]}"
echo "PASS"
