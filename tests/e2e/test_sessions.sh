#!/bin/bash
# Sessions with the real program and real keys: a new session made with
# Ctrl+N (a name typed, Skewb chosen), solves timed in it and in the first
# one, a restart: both sessions are kept with their events and solves, the
# new one still current, its scrambles in Skewb notation.
# Usage: test_sessions.sh CADENZA_BINARY (inside the isolated runner)
set -u
source "$(dirname "$0")/lib/x11.sh"
INDEX="$(dirname "$SESSION_FILE")/sessions.index" SKEWB="$(dirname "$SESSION_FILE")/session-2.times"
index_has() { python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); s=d["sessions"]; sys.exit(0 if eval(sys.argv[2]) else 1)' "$INDEX" "$1"; }
x11_start

start_cadenza
timed_solve 1 "$SESSION_FILE" 0.5
sleep 0.8; xdotool key --clearmodifiers ctrl+n   # after the 700 ms in which keys stay the timer's
dlg=$(wait_for_window '^New Session$' 20) || fail "no New Session dialog"
focus_window "$dlg" || fail "the dialog has no focus"
xdotool type --delay 20 "Skewb practice"; xdotool key Tab; xdotool type --delay 20 "Skewb"; xdotool key Return
wait_until "! xdotool search --onlyvisible --name '^New Session\$'" 10 || fail "the dialog stays open"
wait_until "index_has 'len(s) == 2 and s[1][\"name\"] == \"Skewb practice\" and s[1][\"event\"] == \"skbso\" and d[\"current\"] == 1'" 10 \
    || fail "the index does not hold the new Skewb session: $(cat "$INDEX")"
focus_window "$WIN" || fail "the window did not get the focus back"
timed_solve 1 "$SKEWB" 0.5
timed_solve 2 "$SKEWB" 0.5
close_cadenza
note "index: $(cat "$INDEX")"

start_cadenza
index_has 'len(s) == 2 and s[0]["event"] == "333" and s[1]["event"] == "skbso" and d["current"] == 1' || fail "the sessions were not kept: $(cat "$INDEX")"
[ "$(lines)" = 1 ] && [ "$(lines "$SKEWB")" = 2 ] || fail "solves lost: $(lines) and $(lines "$SKEWB")"
# The Skewb solves carry Skewb scrambles: 11 turns of R, U, L, B.
while IFS= read -r line; do
    scramble=$(echo "$line" | sed 's/.*\[\]\(.*\)|[^|]*|[^|]*$/\1/')
    echo "$scramble" | grep -Eq "^([RULB]'? ){10}[RULB]'?\$" || fail "not a Skewb scramble: $scramble"
done <"$SKEWB"
timed_solve 3 "$SKEWB" 0.5  # the current session after the restart is the Skewb one
close_cadenza
[ "$(lines)" = 1 ] || fail "the first session changed"
echo "PASS"
