#!/bin/bash
# A scripted solve heard through a virtual microphone, with voice-activated
# CFOP splits on. One WAV carries turning noise (between the silence and the
# voice thresholds), four silences of known lengths and three spoken words.
# The solve is started and stopped with real key events; the stored solve must
# carry four splits that match the word onsets found in the same audio, the
# fed number of pauses and the fed idle fraction.
set -u
cadenza="$1"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"

work=$(mktemp -d /tmp/micsolve.XXXXXX)
VOICE=5.0

# ---- the audio --------------------------------------------------------------
noise() { sox -R -n -r 44100 -c 1 -b 16 "$work/$1.wav" synth "$2" whitenoise vol 0.1; }
silence() { sox -n -r 44100 -c 1 -b 16 "$work/$1.wav" trim 0 "$2"; }
word() {
    # A high, slow voice: a 10 ms block then spans whole voice periods.
    espeak-ng -p 90 -s 130 -w "$work/raw_$1.wav" "$1" || fail "espeak-ng failed"
    # Trimmed to the voice, loud and even (limited), so that the word stays
    # above the voice threshold from its first to its last loud block.
    # Only its first 250 ms are kept, ending in a short fade: a fading tail
    # could come back above the threshold after a dip and count as a word.
    sox -R -D "$work/raw_$1.wav" -r 44100 -c 1 -b 16 "$work/$1.wav" \
        silence 1 0.01 1% reverse silence 1 0.01 1% reverse norm -1 gain -l 14 \
        trim 0 0.25 fade t 0 0.25 0.01 2>/dev/null
}

# Levels of a WAV, one per 10 ms block, the way the program computes them for
# unsigned 8-bit 8000 Hz mono: every 8th byte of an 80-byte block, the upper
# middle of the ten values. The second argument shifts the block grid by that
# many bytes (where the blocks fall in the audio is up to the capture).
levels_of() {
    sox -D "$1" -t raw -r 8000 -e unsigned -b 8 -c 1 - 2>/dev/null | od -An -v -tu1 -w1 | awk -v off="${2:-0}" '
        { b[n++] = $1 }
        END {
            for (s = off; s + 80 <= n; s += 80) {
                for (i = 0; i < 10; i++) { v = (b[s + 8 * i] - 128) / 1.28 + 0.01; a[i] = v < 0 ? -v : v }
                for (i = 1; i < 10; i++) { x = a[i]; j = i - 1; while (j >= 0 && a[j] > x) { a[j + 1] = a[j]; j-- } a[j + 1] = x }
                printf "%.3f\n", a[5]
            }
        }'
}

# Start blocks of the runs of more than 8 blocks above the voice threshold.
onsets_of() {
    levels_of "$1" | awk -v t="$VOICE" '
        { if ($1 > t) { if (len == 0) start = NR - 1; len++ } else { if (len >= 9) print start; len = 0 } }'
}

# A word qualifies when, wherever the blocks fall, its loud blocks form one
# run of at least 20 blocks, all but the last two at twice the voice
# threshold or more, and nothing else in it is loud for 3 blocks or more.
check_word() {
    local off
    for off in 0 8 16 24 32 40 48 56 64 72; do
        levels_of "$work/$1.wav" $off | awk -v t="$VOICE" '
            { l[NR] = $1 }
            END {
                runs = 0; best = 0
                for (i = 1; i <= NR; i++) {
                    if (l[i] > t) { if (len == 0) s = i; len++ }
                    if (l[i] <= t || i == NR) {
                        if (len >= 3) { runs++; if (len > best) { best = len; bs = s } }
                        len = 0
                    }
                }
                if (runs != 1 || best < 20) exit 1
                for (i = bs; i < bs + best - 2; i++) if (l[i] < 2 * t) exit 1
            }' || return 1
    done
}

noise lead 2.0; noise n06 0.6; noise n08 0.8; noise n05 0.5; noise n07 0.7; noise tail 1.6
silence s050 0.50; silence s035 0.35; silence s080 0.80; silence s030 0.30
FED_PAUSES=4
FED_SILENCE=1.95
WORDS="go back now"
for w in $WORDS; do
    word "$w"
    check_word "$w" || fail "the word '$w' does not stay above the voice threshold"
done
parts="lead s050 n06 go n08 s035 n05 back n07 s080 n06 now n06 s030 tail"
files=""
for p in $parts; do files="$files $work/$p.wav"; done
# shellcheck disable=SC2086
sox -R $files "$work/solve.wav" || fail "sox could not build the solve"
mapfile -t onsets < <(onsets_of "$work/solve.wav")
[ "${#onsets[@]}" -eq 3 ] || fail "expected 3 word onsets in the audio, found ${#onsets[@]}"
# Where the stop key goes: 0.6 s into the tail.
tail_start=0
for p in ${parts% tail}; do
    tail_start=$(awk -v a="$tail_start" -v b="$(soxi -D "$work/$p.wav")" 'BEGIN { print a + b }')
done
note "word onsets at ${onsets[*]} (10 ms blocks); tail at ${tail_start}s"

# ---- the program ------------------------------------------------------------
# The window runs inside the probe, which is the program's own window plus a
# dump of the level record when its event loop ends: keys, audio, storing and
# closing are the program's.
probe="${CADENZA_BUILD_DIR:?}/tests/mic_probe"
[ -x "$probe" ] || fail "mic_probe is not built"

x11_start
pulse_start || fail "PulseAudio did not start"
mkdir -p "$XDG_CONFIG_HOME/Merlo"
printf '[General]\nsplitsCombo=1\n' >"$XDG_CONFIG_HOME/Merlo/Cadenza.conf"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# One scripted solve; leaves the stored line in $line and the key and audio
# times in t0, t_start and t_stop.
solve_once() {
    rm -f /tmp/cadenza.times "$work/record.txt"
    "$probe" window "$work/record.txt" >"$work/cadenza.log" 2>&1 &
    pid=$!
    x11_track $pid
    win=$(wait_for_window 'Cadenza v0' 30) || fail "no window"
    focus_window "$win" || fail "window did not get the focus"
    # Capture is running once the program has a record stream on the server.
    wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"

    play_wav "$work/solve.wav" &
    player=$!
    x11_track $player
    # The WAV's time zero: when its stream appears on the server.
    wait_until "pactl list short sink-inputs | grep -q ." 10 || fail "paplay did not start"
    t0=$(now_ms)

    # Start one second into the lead-in noise, stop 0.6 s into the tail. The
    # key times are taken when xdotool has sent the events.
    sleep 1.0
    xdotool key space
    t_start=$(now_ms)
    stop_at=$(( t0 + $(awk -v t="$tail_start" 'BEGIN { printf "%d", (t + 0.6) * 1000 }') ))
    while [ "$(now_ms)" -lt "$stop_at" ]; do sleep 0.01; done
    xdotool key a
    t_stop=$(now_ms)
    wait "$player" 2>/dev/null

    wait_until "[ -s /tmp/cadenza.times ]" 10 || fail "no solve was stored"
    close_window_cleanly 'Cadenza v0'
    wait_for_exit $pid 30
    rc=$?
    [ $rc -eq 0 ] || { cat "$work/cadenza.log" >&2; fail "program exited with status $rc"; }
    [ "$(wc -l </tmp/cadenza.times)" -eq 1 ] || fail "expected one stored solve: $(cat /tmp/cadenza.times)"
    line=$(tail -n 1 /tmp/cadenza.times)
    note "stored: $line"
}

# A solve is only a measurement of the program when the machine let its
# refresh tick and the audio run: a tick held off for more than 30 ms near a
# word onset, or near the start or the stop, moves that split by as much
# whatever the program does; so does audio that stopped arriving for a while
# before an onset (the same sound level on 5 ticks in a row there: in noise
# it changes on most ticks). A starved run (under 85 % of the expected
# samples) also delays the key events. Such a run is reported and repeated;
# after four attempts the test fails all the same.
tick_was_starved() {
    awk -v solve="$1" '
        /^onsets=/ { sub("onsets=", ""); n = split($0, o, " ") }
        /^record$/ { rec = 1; next }
        rec { t[i] = $1; l[i] = $2; i++ }
        END {
            if (i < 0.85 * solve / 10) exit 0
            for (j = 1; j < i; j++) {
                if (t[j] - t[j - 1] <= 30) continue
                if (t[j] <= 300 || t[j] >= t[i - 1] - 300) exit 0
                for (k = 1; k <= n; k++)
                    if (t[j] >= t[o[k]] - 100 && t[j] <= t[o[k]] + 100) exit 0
            }
            for (k = 1; k <= n; k++) {
                same = 0
                for (j = o[k] - 1; j > 0 && t[j] >= t[o[k]] - 150; j--) {
                    same = (l[j] == l[j - 1] && l[j] > 0.4) ? same + 1 : 0
                    if (same >= 4) exit 0
                }
            }
            exit 1
        }' "$work/record.txt"
}

for attempt in 1 2 3 4; do
    solve_once
    grep -E '^(samples|late_gaps|max_gap|tick_ms_median|tick_ms_p99|tick_ms_max)=' "$work/record.txt" | tr '\n' ' '
    echo
    if tick_was_starved "${line%%|*}"; then
        note "attempt $attempt: the machine held the refresh tick off where it matters; repeating"
        [ $attempt -lt 4 ] && continue
        fail "the refresh tick was held off in four attempts: the machine is too busy to measure splits"
    fi
    break
done

head="${line%%\[\]*}"
IFS='|' read -r -a f <<<"$head"
time_ms=${f[0]}; idle=${f[1]}; pauses=${f[2]}
splits=("${f[@]:3}")

# ---- the checks ---------------------------------------------------------------
[ "${#splits[@]}" -eq 4 ] || fail "expected 4 splits, got ${#splits[@]}: $line"
o1=$((onsets[0] * 10)); o2=$((onsets[1] * 10)); o3=$((onsets[2] * 10))
exp1=$((o1 - (t_start - t0)))
exp2=$((o2 - o1))
exp3=$((o3 - o2))
exp4=$((t_stop - t0 - o3))
err() { local d=$(( $1 - $2 )); echo ${d#-}; }
e1=$(err "${splits[0]}" $exp1); e2=$(err "${splits[1]}" $exp2)
e3=$(err "${splits[2]}" $exp3); e4=$(err "${splits[3]}" $exp4)
echo "split errors (ms): first $e1 (got ${splits[0]}, fed $exp1), second $e2 (got ${splits[1]}, fed $exp2)," \
     "third $e3 (got ${splits[2]}, fed $exp3), last $e4 (got ${splits[3]}, fed $exp4)"
[ "$e2" -le 40 ] || fail "second split off by $e2 ms"
[ "$e3" -le 40 ] || fail "third split off by $e3 ms"
[ "$e1" -le 250 ] || fail "first split off by $e1 ms"
[ "$e4" -le 250 ] || fail "last split off by $e4 ms"

[ "$pauses" -eq $FED_PAUSES ] || fail "expected $FED_PAUSES pauses, got $pauses"
fed_idle=$(awk -v s="$FED_SILENCE" -v t="$time_ms" 'BEGIN { printf "%.4f", s * 1000 / t }')
idle_err=$(awk -v a="$idle" -v b="$fed_idle" 'BEGIN { d = a - b; printf "%.4f", d < 0 ? -d : d }')
echo "idle fraction: stored $idle, fed $fed_idle (off by $idle_err)"
awk -v d="$idle_err" 'BEGIN { exit !(d <= 0.03) }' || fail "idle fraction off by $idle_err"
rm -rf "$work"
echo "PASS"
