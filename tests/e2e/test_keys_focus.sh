#!/bin/bash
# The timer's keys whatever control has the focus, with real keys and clicks: at
# start-up the focus is on the mode slider and a Right arrow during a solve stops
# and stores it without moving the slider; after a click on +2 the space bar
# starts the next solve and the +2 stays; Ctrl+I during a solve stops it and
# opens no dialog. Usage: test_keys_focus.sh CADENZA_BINARY
set -u
source "$(dirname "$0")/lib/x11.sh"
REST=0.8  # the program's 700 ms rest between keyboard starts and stops is part of the input
out="$X11_TMPDIR/probe.out"
rm -f "$SESSION_FILE"
field() { sed -n "${1}p" "$SESSION_FILE" | awk -F'|' -v f="$2" '{ print (f == "last") ? $NF : $f }'; }
about_a_second() { local t; t=$(field "$1" 1); [ "${t%.*}" -ge 900 ] && [ "${t%.*}" -le 3000 ] || fail "solve $1: $t ms is not about a second"; }

x11_start
start_probe "$out"
WIN=$(wait_for_window 'Cadenza v0' 30) && focus_window "$WIN" || fail "the window did not get the keyboard focus"
wait_until "grep -q '^FOCUS modeSlider$' '$out'" 10 || fail "expected the start-up focus on the mode slider: $(grep '^FOCUS' "$out" | tr '\n' ' ')"

# The Right arrow during a solve stops it; the slider stays in Solves mode.
sleep $REST; xdotool keydown space; xdotool keyup space; sleep 1; xdotool key Right
wait_until "[ \$(lines) -ge 1 ]" 10 || fail "the Right arrow did not stop and store the solve"
about_a_second 1
! grep -q '^MODE' "$out" || fail "the Right arrow moved the mode slider: $(grep '^MODE' "$out" | tr '\n' ' ')"

# A click on +2 marks the solve and keeps the focus; the space bar then starts a solve.
click "$PLUS2"
wait_until "[ \"\$(field 1 last)\" = 1 ]" 10 || fail "the click on +2 did not mark the solve"
[ "$(grep '^FOCUS' "$out" | tail -n 1)" = "FOCUS plusTwoButton" ] || fail "the +2 button does not have the focus"
timed_solve 2
about_a_second 2
[ "$(field 1 last)" = 1 ] || fail "the space bar took the +2 back: $(head -n1 "$SESSION_FILE")"
[ "$(field 2 last)" = 0 ] || fail "the new solve has a penalty: $(sed -n 2p "$SESSION_FILE")"
! grep -q '^MODE' "$out" || fail "the mode slider moved"

# A shortcut during a solve stops it (its Ctrl) and opens nothing (its I).
sleep $REST; xdotool keydown space; xdotool keyup space; sleep 1; xdotool key ctrl+i
wait_until "[ \$(lines) -ge 3 ]" 10 || fail "Ctrl+I did not stop and store the solve"
about_a_second 3
sleep 0.5  # an absence: give a dialog the time to show
! xdotool search --onlyvisible --name 'Import solve session' >/dev/null || fail "Ctrl+I during a solve opened the import dialog"
close_cadenza
echo "PASS"
