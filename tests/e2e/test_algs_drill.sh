#!/bin/bash
# An Algs drill of noise bursts heard through the virtual microphone in one keyed run: "N reps",
# each repetition within 40 ms of its burst, then Store and Remove through their dialogs.
set -u
source "$(dirname "$0")/lib/x11.sh"; source "$(dirname "$0")/lib/pulse.sh"
work=$(mktemp -d /tmp/algsdrill.XXXXXX); out="$work/probe.out"
BURSTS=(1.20 0.90 1.50 1.10) GAPS=(0.80 0.80 1.00 0.70)  # each gap leads its burst
for i in "${!BURSTS[@]}"; do
    sox -n -r 44100 -c 1 -b 16 "$work/g$i.wav" trim 0 "${GAPS[$i]}"
    sox -R -n -r 44100 -c 1 -b 16 "$work/b$i.wav" synth "${BURSTS[$i]}" whitenoise vol 0.1
    files+=("$work/g$i.wav" "$work/b$i.wav")
done
sox -R "${files[@]}" "$work/drill.wav" pad 0 1.2 || fail "sox could not build the drill"
x11_start; pulse_start || fail "PulseAudio did not start"
mkdir -p "$XDG_CONFIG_HOME/Merlo"; printf '[General]\nmodeSlider=1\n' >"$XDG_CONFIG_HOME/Merlo/Cadenza.conf"
focus_on() { local id; id=$(wait_for_window "$1" "$2") && focus_window "$id" && echo "$id"; }
# A tick held back by a busy machine moves an edge whatever the program does: repeat such runs.
for attempt in 1 2 3 4 5 0; do
    [ $attempt -gt 0 ] || fail "the machine held the tick back at an edge in five attempts"
    "$PROBE" >"$out" 2>"$work/probe.log" & PID=$!; x11_track $PID  # in Algs mode: no READY line
    WIN=$(focus_on 'Cadenza v0' 30) || fail "no window with the focus"
    wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"
    # Space starts a run only 700 ms after start-up: repeat it until the run starts.
    for _ in 1 2 3 4 5 6 7 8 9 10; do xdotool key space; wait_until "grep -q '^STARTED' '$out'" 1 && break; done
    grep -q '^STARTED' "$out" || fail "the run did not start"
    play_wav "$work/drill.wav" || fail "paplay failed"; xdotool key a
    wait_until "grep -q '^EDGEGAP' '$out'" 10 || fail "the run did not stop"
    line=$(grep '^STOPPED' "$out" | tail -n 1); line=${line#STOPPED }
    status=${line%%|*}; IFS=',' read -r -a reps <<<"${line#*|}"
    edgegap=$(grep '^EDGEGAP' "$out" | tail -n 1 | cut -d' ' -f2)
    note "status: $status; repetitions: ${reps[*]}; longest tick interval at an edge: $edgegap ms"
    [ "$edgegap" -le 30 ] && break; close_cadenza
done
[[ "$status" == "${#BURSTS[@]} reps "* ]] || fail "expected '${#BURSTS[@]} reps' in the status line, got '$status'"
[ "${#reps[@]}" -eq "${#BURSTS[@]}" ] || fail "expected ${#BURSTS[@]} repetitions, got ${#reps[@]}"
awk -v m="${reps[*]}" -v f="${BURSTS[*]}" 'BEGIN { n = split(m, a); split(f, b)
    for (i = 1; i <= n; i++) { d = (a[i] - b[i]) * 1000; d = d < 0 ? -d : d; if (d > 40) bad = 1
    printf "repetition %d: measured %s s, fed %s s, off by %d ms\n", i, a[i], b[i], d } exit bad }' || fail "a repetition is more than 40 ms off"
ready=$(grep '^ALGS' "$out" | tail -n 1) || fail "the probe never found the Store button"
store=${ready#*store=}; store=${store%% *}; remove=${ready#*remove=}
click "$store"
focus_on 'Set alg/sequence label' 30 >/dev/null || fail "no Store dialog with the focus"
xdotool key ctrl+a; xdotool type --delay 20 "drill A"; xdotool key Return
wait_until "grep -q '^LABELS 1|drill A$' '$out'" 10 || fail "the sequence was not stored: $(grep '^LABELS' "$out" | tail -n 1)"
focus_window "$WIN" || fail "window did not get the focus back"
click "$remove"
focus_on 'Remove Alg/Sequence' 30 >/dev/null || fail "no Remove dialog with the focus"
xdotool key Return
wait_until "grep -q '^LABELS 0|$' '$out'" 10 || fail "the sequence was not removed: $(grep '^LABELS' "$out" | tail -n 1)"
close_cadenza; rm -rf "$work"; echo "PASS"
