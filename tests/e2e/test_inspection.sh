#!/bin/bash
# Inspection with real keys on a real X server (auto-repeat on): a solve
# started 16 s into the inspection, with the space bar held through the 15 s
# mark, is stored with +2; one started 18 s in is a DNF; Escape during an
# inspection stores nothing. The waits of 16 and 18 s are the input itself,
# a second away from the limits at 15 and 17 s.
# Usage: test_inspection.sh CADENZA_BINARY (inside a private /tmp)
set -u
source "$(dirname "$0")/lib/x11.sh"
REST=0.8  # the program's 700 ms rest between keyboard starts and stops is part of the input
CONF="${XDG_CONFIG_HOME:-$HOME/.config}/Merlo/Cadenza.conf"
rm -f "$SESSION_FILE"
mkdir -p "$(dirname "$CONF")"
printf '[General]\nactionInspection=1\n' >"$CONF"
now_ns() { date +%s%N; }
# sleep_until T0_NS MS: sleeps until MS milliseconds after the time stamp T0_NS.
sleep_until() {
    local left=$(( ($1 + $2 * 1000000 - $(now_ns)) / 1000000 ))
    [ $left -le 0 ] || sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
}
# Starts an inspection; T0 (before the release) and T1 (after it) bracket its start.
inspect() { sleep $REST; xdotool keydown space; T0=$(now_ns); xdotool keyup space; T1=$(now_ns); }
# Releases the space bar MS milliseconds after T0 and reports the inspection it ended.
release_at() {
    sleep_until $T0 "$1"; local t2=$(now_ns); xdotool keyup space; local t3=$(now_ns)
    note "inspection between $(( (t2 - T1) / 1000000 )) and $(( (t3 - T0) / 1000000 )) ms (as sent)"
}
# check_line N PENALTY: the solve's time is about the second it ran, not the inspection.
check_line() {
    local line time
    line=$(sed -n "${1}p" "$SESSION_FILE")
    [[ "$line" =~ ^([0-9]+)\|.*\|(-?[0-9]+)$ ]] || fail "line $1: '$line'"
    time=${BASH_REMATCH[1]}
    [ "${BASH_REMATCH[2]}" = "$2" ] || fail "line $1: penalty ${BASH_REMATCH[2]}, not $2: '$line'"
    [ "$time" -ge 900 ] && [ "$time" -lt 10000 ] || fail "line $1: time $time ms is not the second the solve ran"
}

x11_start; start_cadenza

# The space bar goes down at 13 s and is held (repeating) through the 15 s mark: the
# release at 16 s starts the solve, with +2.
inspect
sleep_until $T0 13000; xdotool keydown space
release_at 16000
sleep 1; xdotool key a
wait_until "[ \$(lines) -ge 1 ]" 10 || fail "the solve after 16 s of inspection was not stored"
check_line 1 1
# Started 18 s into the inspection: DNF, its time kept.
inspect
sleep_until $T0 17900; xdotool keydown space
release_at 18000
sleep 1; xdotool key a
wait_until "[ \$(lines) -ge 2 ]" 10 || fail "the solve after 18 s of inspection was not stored"
check_line 2 -1
# Escape cancels: the next release begins a new inspection, in which a letter does nothing.
inspect
sleep 0.5; xdotool key Escape
inspect
xdotool key a
close_cadenza
[ "$(lines)" = 2 ] || { cat "$SESSION_FILE" >&2; fail "Escape during the inspection did not cancel it: $(lines) lines"; }
check_line 1 1
check_line 2 -1
grep -qx 'actionInspection=1' "$CONF" || fail "the inspection choice was not stored at close"
echo "PASS"
