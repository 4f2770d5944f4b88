#!/bin/bash
# 200 SIGKILLs at random moments while real clicks store solves, toggle +2 and
# remove rows as fast as they go. After each kill the session file parses line
# by line, is the very file seen just before the kill or a later whole one that
# kept its solves, and the next start loads all of it (over the dead process's
# stale lock). Prints the count of corrupt and short files, which must be 0.
set -u
source "$(dirname "$0")/lib/x11.sh"
[ -x "$PROBE" ] || fail "no probe at $PROBE"
KILLS=${KILLS:-200}
work=$(mktemp -d /tmp/killloop.XXXXXX)
LINE='^[0-9.e+-]+\|[0-9.e+-]+\|[0-9]+(\|-?[0-9]+)*\[\][^|]*\|[0-9]+\|-?[0-9]+$'
solve_keys() { sed -E 's/^[^[]*\[\]//; s/\|-?[0-9]+$//' "$1" | sort; }
# A long session makes each write take a while, so that kills land inside writes too.
mkdir -p "$(dirname "$SESSION_FILE")"
awk 'BEGIN { for (i = 0; i < 20000; i++) printf "%d|0.5|2[]R U F%d|%d|0\n", 9000 + i, i, 1700000000 + i }' >"$SESSION_FILE"
x11_start
staged=0 corrupt=0 short=0 same=0 newer=0 stored=0 removes=0
RANDOM=9
for ((k = 1; k <= KILLS; k++)); do
    : >"$work/out"; "$PROBE" >>"$work/out" 2>>"$work/probe.log" & pid=$!
    wait_until "grep -q '^READY' '$work/out'" 30 || { cat "$work/probe.log" >&2; fail "kill $k: the window did not come up"; }
    read -r _ loaded start plus2 remove row < <(grep '^READY' "$work/out")
    loaded=${loaded#solves=} start=${start#start=} plus2=${plus2#plus2=} remove=${remove#remove=} row=${row#row=}
    [ "$loaded" = "$(lines)" ] || { cat "$work/out" >&2; fail "kill $k: the window loaded $loaded solves of the $(lines) in the file"; }
    # A burst of clicks: mostly solves, +2 toggles, and removes of the newest row once it grows.
    ops=() nrem=0
    for ((i = 0; i < 150; i++)); do
        ops+=(sleep 0.002)
        r=$((RANDOM % 10))
        if [ $r -lt 5 ]; then ops+=(mousemove ${start%,*} ${start#*,} click 1 click 1); stored=$((stored + 1))
        elif [ $r -lt 7 ]; then ops+=(mousemove ${plus2%,*} ${plus2#*,} click 1)
        elif [ $r -eq 9 ]; then ops+=(mousemove ${row%,*} ${row#*,} click 1 mousemove ${remove%,*} ${remove#*,} click 1); nrem=$((nrem + 1))
        fi
    done
    removes=$((removes + nrem))
    xdotool "${ops[@]}" 2>/dev/null & clicker=$!
    sleep "0.$(printf '%03d' $((40 + RANDOM % 260)))"
    # The file as it stands, read through one descriptor (one whole version), then the kill.
    ino=none; : >"$work/before"
    if [ -e "$SESSION_FILE" ]; then exec 3<"$SESSION_FILE"; ino=$(stat -L -c %i /dev/fd/3); cat <&3 >"$work/before"; exec 3<&-; fi
    kill -9 $pid; wait $pid 2>/dev/null; kill $clicker 2>/dev/null; wait $clicker 2>/dev/null
    # A staging file left behind: the kill fell between the staged file and its rename.
    staged=$((staged + $(find "$(dirname "$SESSION_FILE")" -maxdepth 1 -name '.cadenza.times.*' | grep -c '')))
    [ -f "$SESSION_FILE" ] || { [ "$ino" = none ] && continue; fail "kill $k: the session file is gone"; }
    bad=$(grep -cvE "$LINE" "$SESSION_FILE")
    if [ "$bad" -gt 0 ] || { [ -s "$SESSION_FILE" ] && [ -n "$(tail -c1 "$SESSION_FILE")" ]; }; then
        corrupt=$((corrupt + 1)); note "kill $k: corrupt file"; cp "$SESSION_FILE" "$work/corrupt.$k"; continue
    fi
    if [ "$(stat -c %i "$SESSION_FILE")" = "$ino" ]; then
        cmp -s "$SESSION_FILE" "$work/before" || { short=$((short + 1)); note "kill $k: the file changed in place"; }
        same=$((same + 1))
    else
        # A whole write completed after the look: it may lack only solves removed by this burst.
        lost=$(comm -23 <(solve_keys "$work/before") <(solve_keys "$SESSION_FILE") | grep -c '')
        [ "$lost" -le "$nrem" ] || { short=$((short + 1)); note "kill $k: $lost solves missing, at most $nrem removed"; }
        newer=$((newer + 1))
    fi
done
note "kill loop: $KILLS kills ($same on the file seen last, $newer after a later write, $staged between staging and rename), $corrupt corrupt, $short short; $stored solves and $removes removes sent; $(lines) solves at the end"
[ $corrupt -eq 0 ] && [ $short -eq 0 ] || fail "$corrupt corrupt and $short short session files"
[ $newer -gt 0 ] && [ $same -gt 0 ] || fail "the kills never fell both between and after writes"
echo "PASS: $KILLS kills, 0 corrupt, 0 short"
