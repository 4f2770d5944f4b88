# A scripted solve through the virtual microphone, and the word onsets of the
# audio it plays as the capture would see them. Sources x11.sh and pulse.sh and
# sets $probe (mic_probe) and $VOICE; the script sets $work.
#   speak_in_slots OUT SPEED PEAK WORD/VOICE ...   each word as espeak-ng says
#                              it at SPEED wpm, silence-trimmed and normalised to
#                              PEAK dBFS, in its own 1.3 s slot after 2 s of
#                              lead-in, and 1 s at the end (8000 Hz, 16-bit);
#                              sox dithers the same way every time (-R), so the
#                              same words give the same file
#   under_turning SPEECH SECONDS SEED OUT [FORMAT...]   SPEECH with the fast
#                              turning model (SECONDS of it made from SEED, cut to
#                              SPEECH's length) under all of it
#   solve_words WAV WORDS COMBO STOP_MS   checks the audio gives WORDS onsets
#                              (check_onsets), plays it through a solve with the
#                              splits choice COMBO (solve_with_splits) and checks
#                              every word gave one split (the checks below)
#   solve_with_splits WAV COMBO STOP_MS   starts the servers and run_solve with
#                              the splits choice COMBO (1 CFOP, 2 free)
#   check_onsets WAV COUNT     every byte phase of the capture block gives COUNT
#                              onsets; leaves all the "phase: ms ms ..." lines in
#                              $work/onsets.txt, phase 0 first. A WAV of 8000 Hz
#                              unsigned 8-bit played into a microphone at
#                              VMIC_RATE=8000 is recorded byte for byte, and so is
#                              one of signed 16-bit with FINE_LEVELS=1 (capture
#                              takes 16-bit samples after a calibration made with
#                              them), so its samples are what is checked, also as 50 patterns of
#                              ticks that meet a neighbouring block might sample
#                              them. Any other is resampled on its way: it is
#                              checked with and without a half-sample shift, at
#                              the threshold and one step of the level scale (a
#                              sample off by one) either side.
#   run_solve WAV STOP_MS      plays WAV, starts the solve 1 s in, stops it at
#                              STOP_MS of WAV time; repeats a stalled run; leaves
#                              the stored line in $line, times in t0, t_start, t_stop.
#                              The probe runs in mode $PROBE_MODE (window), and
#                              $BEFORE_SOLVE (a command) runs once the window
#                              records, before WAV plays
#   check_edge_splits O1 ON    the first split (start to onset O1) and the last
#                              (onset ON to stop) within 250 ms of the audio's
#   check_middle_splits TOLERANCE_MS   the splits between words against those
#                              the audio gives in check_onsets

source "$(dirname "${BASH_SOURCE[0]}")/x11.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pulse.sh"
probe="${CADENZA_BUILD_DIR:?}/tests/mic_probe" VOICE=5.0

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

speak_in_slots() {
    local out=$1 speed=$2 peak=$3 item pad slots="" i=0
    shift 3
    sox -R -n -r 8000 -c 1 -b 16 "$work/lead.wav" trim 0 2.0 || fail "sox failed"
    for item; do
        espeak-ng -v "${item#*/}" -s "$speed" -w "$work/raw.wav" "${item%%/*}" || fail "espeak-ng failed"
        sox -R -D "$work/raw.wav" -r 8000 -c 1 -b 16 "$work/w$i.wav" \
            silence 1 0.005 1% reverse silence 1 0.005 1% reverse norm "$peak" || fail "sox failed"
        pad=$(soxi -D "$work/w$i.wav" | awk '{ printf "%.4f", 1.3 - $1 }')
        sox -R "$work/w$i.wav" "$work/slot$i.wav" pad 0 "$pad" || fail "sox failed"
        slots="$slots $work/slot$i.wav" i=$((i + 1))
    done
    sox -R "$work/lead.wav" $slots "$out" pad 0 1.0 || fail "sox failed"
}

under_turning() {
    local speech=$1 seconds=$2 seed=$3 out=$4
    shift 4
    "$probe" turning "$seconds" "$seed" "$VOICE" "$work/turning.s16" || fail "mic_probe turning failed"
    sox -R -t raw -r 8000 -e signed -b 16 -c 1 "$work/turning.s16" "$work/turning.wav" trim 0 "$(soxi -D "$speech")" || fail "sox failed"
    sox -R -D -m -v 1 "$speech" -v 1 "$work/turning.wav" "$@" "$out" 2>/dev/null || fail "sox failed"
}

check_onsets() {
    local shifts="0 2" thresholds shift t variants=0
    thresholds=$(awk -v v="$VOICE" 'BEGIN { print v, v - 0.5, v + 0.5 }')
    local kind
    kind="$(soxi -r "$1")/$(soxi -e "$1")/$(soxi -b "$1")"
    exact="" capture="$work/capture.u8"
    if [ "${VMIC_RATE:-}" = 8000 ] && { [ "$kind" = "8000/Unsigned Integer PCM/8" ] ||
        { [ -n "${FINE_LEVELS:-}" ] && [ "$kind" = "8000/Signed Integer PCM/16" ] && capture="$work/capture.s16"; }; }; then
        shifts=exact thresholds=$VOICE exact=1 variants=50
    fi
    rm -f "$work"/onsets*.txt
    for shift in $shifts; do  # in quarter samples: the capture's samples need not fall on the file's
        if [ "$shift" = exact ]; then sox -V1 -D "$1" -t raw "$capture"
        else sox -V1 -D "$1" -r 32000 -t wav - pad "${shift}s" 0 | sox -V1 -D -t wav - -t raw -r 8000 -e unsigned -b 8 -c 1 "$capture"
        fi || fail "sox failed"
        for t in $thresholds; do
            "$probe" onsets "$capture" "$t" $variants >"$work/found.txt" || fail "mic_probe onsets failed"
            awk -v n="$2" -v t="$t" -v s="$shift" 'NF - 1 != n { print "shift " s "/4, phase " $1 " threshold " t ": " NF - 1 " onsets, not " n; bad = 1 }
                END { exit bad }' "$work/found.txt" >&2 || return 1
            cat "$work/found.txt" >>"$work/onsets.txt"
        done
    done
}

solve_once() {
    rm -f "$SESSION_FILE" "$work/record.txt"
    "$probe" "${PROBE_MODE:-window}" "$work/record.txt" >"$work/cadenza.log" 2>&1 & pid=$!; x11_track $pid
    win=$(wait_for_window 'Cadenza v0' 30) || fail "no window"
    focus_window "$win" || fail "window did not get the focus"
    wait_until "pactl list short source-outputs | grep -q ." 20 || fail "the program does not record"
    ${BEFORE_SOLVE:-}
    play_wav "$1" & player=$!; x11_track $player
    wait_until "pactl list short sink-inputs | grep -q ." 10 || fail "paplay did not start"
    t0=$(now_ms)  # the WAV's time zero: its stream is on the server
    sleep 1.0; xdotool key space; t_start=$(now_ms)
    while [ "$(now_ms)" -lt $((t0 + $2)) ]; do sleep 0.01; done
    xdotool key a; t_stop=$(now_ms)
    wait "$player"; wait_until "[ -s \"\$SESSION_FILE\" ]" 10 || fail "no solve was stored"
    close_window_cleanly 'Cadenza v0'
    wait_for_exit $pid 30 || { cat "$work/cadenza.log" >&2; fail "program did not exit cleanly"; }
    [ "$(wc -l <"$SESSION_FILE")" -eq 1 ] || fail "expected one stored solve: $(cat "$SESSION_FILE")"
    line=$(cat "$SESSION_FILE")
}

# A stalled run, from the record: fewer than 85 % of the samples; a tick held
# off > 30 ms at the start, the stop or around a word; or the audio late
# around a word (150 ms before its onset to 300 ms after, where its
# onset and length are decided): a block sampled by three ticks, or two blocks
# in a row that no tick sampled. The words are those of $onsets (WAV time).
tick_was_starved() {
    awk -v solve="$1" -v lead=$((t_start - t0)) -v fed="${onsets[*]}" '
        /^record$/ { rec = 1; next } rec { t[i] = $1; b[i] = $3; i++ }
        END { if (i < 0.85 * solve / 10) exit 0
            n = split(fed, o, " "); for (k = 1; k <= n; k++) o[k] -= lead
            for (j = 1; j < i; j++) { near = 0
                for (k = 1; k <= n; k++) near = near || (t[j] >= o[k] - 150 && t[j] <= o[k] + 300)
                if (t[j] - t[j - 1] > 30 && (near || t[j] <= 300 || t[j] >= t[i - 1] - 300)) exit 0
                if (near && (b[j] >= 3 || (b[j] == 0 && b[j - 1] == 0))) exit 0 }
            exit 1 }' "$work/record.txt"
}

# A file recorded byte for byte: whether some sample of the record is not the
# level of the file's block that the tick met (the audio did not arrive whole);
# leaves the onsets of the file as the ticks met it in $work/replay.txt.
audio_not_whole() {
    "$probe" phases "$capture" "$work/record.txt" "$VOICE" >"$work/replay.txt" || fail "mic_probe phases failed"
    head -1 "$work/replay.txt"
    awk 'NR == 1 { exit !($1 < $3) }' "$work/replay.txt"
}

run_solve() {
    local attempt
    for attempt in 1 2 3 4; do
        solve_once "$1" "$2"
        echo "$line; $(grep -E '^(format|buffer|samples|late_gaps)=' "$work/record.txt" | tr '\n' ' ')"
        tick_was_starved "${line%%|*}" || { [ -n "$exact" ] && audio_not_whole; } || break
        note "attempt $attempt: the refresh tick or the audio stalled where it matters; repeating"
        [ $attempt -lt 4 ] || fail "stalled in four attempts: the machine is too busy to measure splits"
    done
    # The first device entries give 8000 Hz mono unsigned 8-bit; 80 bytes is 10 ms of it.
    # With FINE_LEVELS=1 (after a calibration made with them) signed 16-bit, 160 bytes.
    local format=8000/1/8/2 buffer=80
    [ -z "${FINE_LEVELS:-}" ] || format=8000/1/16/1 buffer=160
    grep -qx "format=$format" "$work/record.txt" && grep -qx "buffer=$buffer" "$work/record.txt" || fail "wrong format or buffer"
    IFS='|' read -r -a f <<<"${line%%\[\]*}"; splits=("${f[@]:3}")
}

check_edge_splits() {
    local fed=($(($1 - t_start + t0)) $((t_stop - t0 - $2))) n=$((${#splits[@]} - 1)) k e
    for k in 0 1; do
        e=$((splits[n * k] - fed[k])); e=${e#-}
        echo "split $((n * k + 1)): got ${splits[n * k]}, fed ${fed[k]}, off by $e ms"; [ $e -le 250 ] || fail "split $((n * k + 1)) off by $e ms"
    done
}

solve_with_splits() {
    x11_start; pulse_start || fail "PulseAudio did not start"
    mkdir -p "$XDG_CONFIG_HOME/Merlo" && printf '[General]\nsplitsCombo=%s\n' "$2" >"$XDG_CONFIG_HOME/Merlo/Cadenza.conf"
    run_solve "$1" "$3"
}

solve_words() {
    # Wherever the capture's blocks start, the audio holds exactly these words.
    check_onsets "$1" "$2" || fail "the audio does not give $2 word onsets at every block phase"
    read -r -a onsets <<<"$(sed -n '1s/^0://p' "$work/onsets.txt")"
    solve_with_splits "$1" "$3" "$4"
    [ "${#splits[@]}" -eq $(($2 + 1)) ] || fail "expected $(($2 + 1)) splits (one a word and the last phase), got ${#splits[@]}: $line"
    check_edge_splits "${onsets[0]}" "${onsets[$2 - 1]}"
    check_middle_splits 40 || fail "a split between words is off by more than 40 ms"
}

# A split between words must lie within TOLERANCE of what the audio gives. A
# file recorded byte for byte gives the onsets of its blocks as the ticks met
# them. Resampled audio's phase is unknown and its levels can be a step off,
# and where a word starts near the threshold its first loud level moves with
# both: there, any phase, shift and threshold step will do.
check_middle_splits() {
    echo "${splits[*]}" | awk -v tol="$1" 'NR == FNR { n = split($0, got, " "); next }
        NF - 1 == n - 1 { for (k = 2; k < n; k++) { d = $(k + 1) - $k
            if (!(k in lo) || d < lo[k]) lo[k] = d; if (!(k in hi) || d > hi[k]) hi[k] = d } }
        END { bad = 0; for (k = 2; k < n; k++) {
                e = got[k] < lo[k] ? lo[k] - got[k] : (got[k] > hi[k] ? got[k] - hi[k] : 0)
                printf "split %d: got %d, fed %d..%d, off by %d ms\n", k, got[k], lo[k], hi[k], e; bad += e > tol }
            exit bad }' - <(if [ -n "$exact" ]; then sed -n 's/^replay:/r:/p' "$work/replay.txt"; else cat "$work/onsets.txt"; fi)
}
