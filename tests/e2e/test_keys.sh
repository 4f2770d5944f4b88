#!/bin/bash
# Solves timed with real keys on a real X server (auto-repeat on), a held space
# bar, a clean close with the autosave checked line by line, then a SIGKILL
# right after a stop. Usage: test_keys.sh CADENZA_BINARY (inside a private /tmp)
set -u
source "$(dirname "$0")/lib/x11.sh"
REST=0.8  # the program's 700 ms rest between keyboard starts and stops is part of the input
rm -f "$SESSION_FILE"
# Every line: ms|pause stats|0[]21-move scramble|date of now|penalty 0.
check_lines() {
    [ "$(lines)" = "$1" ] || { cat "$SESSION_FILE" >&2; fail "the autosave has $(lines) lines, not $1"; }
    local n=0 line time date now=$(date +%s)
    while IFS= read -r line; do
        n=$((n + 1))
        [[ "$line" =~ ^([0-9]+)\|[0-9.e+-]+\|[0-9]+\[\](([RLUDFB][2\']?\ ){20}[RLUDFB][2\']?)\|([0-9]+)\|0$ ]] \
            || fail "line $n: '$line'"
        time=${BASH_REMATCH[1]} date=${BASH_REMATCH[4]}
        [ "$time" -ge 900 ] && [ "$time" -le 3000 ] || fail "line $n: time $time ms is not about a second"
        [ $((now - date)) -ge 0 ] && [ $((now - date)) -le 600 ] || fail "line $n: date $date is not now ($now)"
    done <"$SESSION_FILE"
}

x11_start; start_cadenza
timed_solve 1
timed_solve 2
# A space bar held 2 s in Idle: its repeats store nothing; the real release starts a run.
sleep $REST; xdotool keydown space; sleep 2; xdotool keyup space
[ "$(lines)" = 2 ] || fail "holding the space bar stored solves: $(lines) lines"
sleep 1; xdotool key a
wait_until "[ \$(lines) -ge 3 ]" 10 || fail "the release of the held space bar did not start a run"
# A space press stops a run and is held 2 s: one solve; the late release starts a run that Escape cancels.
sleep $REST; xdotool keydown space; xdotool keyup space; sleep 1; xdotool keydown space
wait_until "[ \$(lines) -ge 4 ]" 10 || fail "the space press did not stop the run"
sleep 2; xdotool keyup space; sleep 1; xdotool key Escape; sleep 0.3
[ "$(lines)" = 4 ] || fail "holding the space bar after a stop stored solves: $(lines) lines"
close_cadenza
check_lines 4
# A solve survives a SIGKILL right after its stop.
start_cadenza
[ "$(lines)" = 4 ] || fail "restart changed the autosave"
timed_solve 5
kill -9 $PID
wait_for_exit $PID 10
check_lines 5
echo "PASS"
