#!/bin/bash
# Times solves with real key events on a real X server (auto-repeat on), holds
# the space bar, closes the window cleanly and checks the autosave file line by
# line; then checks that a solve survives a SIGKILL right after its stop.
#
# Usage: test_keys.sh CADENZA_BINARY  (run inside a private /tmp)
set -u
BIN="$1"
source "$(dirname "$0")/lib/x11.sh"
unset QT_QPA_PLATFORM

AUTOSAVE=/tmp/cadenza.times
# The program's rest between keyboard starts and stops is 700 ms; waiting it
# out is part of the input, not a synchronisation.
REST=0.8
rm -f "$AUTOSAVE"

lines() {
    if [ -f "$AUTOSAVE" ]; then grep -c '' "$AUTOSAVE"; else echo 0; fi
}

start_cadenza() {
    "$BIN" >>"$X11_TMPDIR/cadenza.log" 2>&1 &
    CADENZA_PID=$!
    x11_track $CADENZA_PID
    WIN=$(wait_for_window 'Cadenza v0\.5' 30) || fail "the window did not appear"
    focus_window "$WIN" || fail "the window did not get the keyboard focus"
    note "window $WIN up, pid $CADENZA_PID"
}

# A solve of about a second: the space bar released starts, a letter stops.
# Waits until the stop is in the autosave file.
timed_solve() {
    local expected=$1
    sleep $REST
    xdotool keydown space
    xdotool keyup space
    sleep 1
    xdotool key a
    wait_until "[ \$(lines) -ge $expected ]" 10 || fail "solve $expected was not stored ($(lines) lines)"
    note "solve $expected stored"
}

# check_line N: line N of the autosave is one stored solve of about a second.
check_line() {
    local n=$1 line
    line=$(sed -n "${n}p" "$AUTOSAVE")
    [ -n "$line" ] || fail "line $n missing"
    local head=${line%%\[\]*} tail=${line#*\[\]}
    [ "$head" != "$line" ] || fail "line $n has no []: $line"
    local time=${head%%|*}
    local rest=${tail%|*|*} penalty=${tail##*|}
    local date=${tail%|*}
    date=${date##*|}
    local scramble=$rest
    # Time in whole milliseconds, about one second (xdotool and a busy machine add some).
    [[ "$time" =~ ^[0-9]+$ ]] || fail "line $n: time '$time' is not whole milliseconds"
    [ "$time" -ge 900 ] && [ "$time" -le 3000 ] || fail "line $n: time $time ms is not about a second"
    [[ "$head" =~ ^[0-9]+\|[0-9.e+-]+\|[0-9]+$ ]] || fail "line $n: head '$head' (no splits expected)"
    [ "$penalty" = 0 ] || fail "line $n: penalty '$penalty'"
    local now
    now=$(date +%s)
    [ $((now - date)) -ge 0 ] && [ $((now - date)) -le 600 ] || fail "line $n: date $date is not now ($now)"
    local moves
    moves=$(echo "$scramble" | wc -w)
    [ "$moves" = 21 ] || fail "line $n: scramble '$scramble' has $moves moves"
    [[ "$scramble" =~ ^([RLUDFB][2\']?\ ){20}[RLUDFB][2\']?$ ]] || fail "line $n: scramble '$scramble'"
}

x11_start
start_cadenza

timed_solve 1
timed_solve 2

# Hold the space bar for 2 s in Idle: the repeats must start and stop nothing;
# only the real release starts a run, which a letter then stops.
sleep $REST
xdotool keydown space
sleep 2
xdotool keyup space
[ "$(lines)" = 2 ] || fail "holding the space bar stored solves: $(lines) lines"
sleep 1
xdotool key a
wait_until "[ \$(lines) -ge 3 ]" 10 || fail "the release of the held space bar did not start a run"
note "hold in Idle: one run from the real release"

# Stop a run by pressing the space bar and hold it for 2 s: one solve, then
# the real release (long after the stop) starts a run, which Escape cancels.
sleep $REST
xdotool keydown space
xdotool keyup space
sleep 1
xdotool keydown space
wait_until "[ \$(lines) -ge 4 ]" 10 || fail "the space press did not stop the run"
sleep 2
xdotool keyup space
sleep 1
xdotool key Escape
sleep 0.3
[ "$(lines)" = 4 ] || fail "holding the space bar after a stop stored solves: $(lines) lines"
note "hold after a stop: no extra solve"

close_window_cleanly 'Cadenza v0.5' || fail "wmctrl could not close the window"
wait_for_exit $CADENZA_PID 20 || fail "the program did not end after its window was closed"
[ "$(lines)" = 4 ] || { cat "$AUTOSAVE" >&2; fail "autosave after shutdown has $(lines) lines, not 4"; }
for n in 1 2 3 4; do check_line $n; done
note "clean shutdown: 4 solves in the autosave"

# A solve survives SIGKILL right after its stop.
start_cadenza
[ "$(lines)" = 4 ] || fail "restart changed the autosave"
timed_solve 5
kill -9 $CADENZA_PID
wait_for_exit $CADENZA_PID 10
[ "$(lines)" = 5 ] || fail "after SIGKILL the autosave has $(lines) lines"
for n in 1 2 3 4 5; do check_line $n; done
note "SIGKILL after a stop: the solve is kept"
echo "PASS"
