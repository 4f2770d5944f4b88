#!/bin/bash
# A microphone at a quarter of full loudness (-12 dB: words peak at -13 dBFS,
# the turning model's clicks at a quarter): the user first opens the
# calibration and cancels it (capture takes 16-bit samples for the dialog and
# goes back to 8-bit ones), then calibrates, as the dialog asks (quiet, fast
# turning, the five words one at a time), Apply sets the thresholds and keeps
# the fine levels of 16-bit samples, then a free-splits solve of eight natural
# words under turning: every word gives one split; with the form's thresholds
# most give none. The voice is en-us+f3 (SPEAKER=en-gb tries another). The
# microphone runs at the program's 8000 Hz and the files are 16-bit, so the
# program records their samples (see test_microphone_words.sh).
set -u
for tool in espeak-ng sox Xvfb pulseaudio xdotool wmctrl; do command -v "$tool" >/dev/null || { echo "SKIP: no $tool"; exit 77; }; done
source "$(dirname "$0")/lib/micsolve.sh"; work=$(mktemp -d /tmp/miccal.XXXXXX) VMIC_RATE=8000 FINE_LEVELS=1
WORDS="cross okay stop yes four fine now done" ASKED="next okay stop done cross" SPEAKER=${SPEAKER:-en-us+f3}
# The microphone's gain: CAL_DB below full loudness (-12 unless set). The words
# peak at CAL_DB - 1 dBFS; the turning model's clicks are scaled by the same gain.
CAL_DB=${CAL_DB:--12}
PEAK=$((CAL_DB - 1)) TURNING=$(awk -v d="$CAL_DB" 'BEGIN { printf "%.4f", 5.0 * 10 ^ (d / 20) }')

# The calibration as played, against the dialog's clock (it starts when the
# dialog opens; the file a little after): 3 s of quiet, turning from 3.0 s to
# 8.3 s (the dialog measures it from 4 s to 9 s), and from 10.2 s each word
# asked 0.2 s into its 1.5 s turn (the dialog asks at 10 s, 11.5 s, ...).
"$probe" turning 7 23 "$TURNING" "$work/calturn.s16" || fail "mic_probe turning failed"
sox -R -n -r 8000 -c 1 -b 16 "$work/quiet.wav" trim 0 3.0 || fail "sox failed"
sox -R -t raw -r 8000 -e signed -b 16 -c 1 "$work/calturn.s16" "$work/calturn.wav" trim 0 5.3 || fail "sox failed"
sox -R -n -r 8000 -c 1 -b 16 "$work/ready.wav" trim 0 1.9 || fail "sox failed"
parts="$work/quiet.wav $work/calturn.wav $work/ready.wav" i=0
for w in $ASKED; do
    espeak-ng -v "$SPEAKER" -s 150 -w "$work/raw.wav" "$w" || fail "espeak-ng failed"
    sox -R -D "$work/raw.wav" -r 8000 -c 1 -b 16 "$work/a$i.wav" silence 1 0.005 1% reverse silence 1 0.005 1% reverse norm "$PEAK" || fail "sox failed"
    sox -R "$work/a$i.wav" "$work/asked$i.wav" pad 0 "$(soxi -D "$work/a$i.wav" | awk '{ printf "%.4f", 1.5 - $1 }')" || fail "sox failed"
    parts="$parts $work/asked$i.wav" i=$((i + 1))
done
sox -R $parts -e signed -b 16 "$work/calibration.wav" pad 0 1.0 || fail "sox failed"

# The solve: the eight words at -13 dBFS, 1.3 s apart, under the turning at a quarter.
items=""; for w in $WORDS; do items="$items $w/$SPEAKER"; done
speak_in_slots "$work/speech.wav" 150 "$PEAK" $items
VOICE=$TURNING under_turning "$work/speech.wav" 20 11 "$work/solve.wav" -e signed -b 16
stop_ms=$(soxi -D "$work/speech.wav" | awk '{ printf "%d", ($1 - 0.4) * 1000 }')

calibrate() {
    local result="$work/record.txt.calibration"
    touch "$work/record.txt.go"
    wait_until "[ -e '$work/record.txt.calibrating' ]" 30 || fail "the calibration did not start"
    play_wav "$work/calibration.wav" & local player=$!; x11_track $player
    wait_until "[ -s '$result' ]" 40 || fail "the calibration did not end"
    wait "$player"
    cat "$result"
    grep -qx 'outcome=0' "$result" || fail "the calibration proposed nothing: $(sed -n 's/^text=//p' "$result")"
    # 8-bit samples until a calibration is applied (16-bit from then on, in a
    # run repeated after a stall too), 16-bit ones while the dialog is open,
    # the format before again after Cancel.
    local before=8000/1/8/2; [ -e "$work/applied" ] && before=8000/1/16/1
    grep -qx "format_before=$before" "$result" && grep -qx 'format_cancelled=8000/1/16/1' "$result" \
        && grep -qx "format_after_cancel=$before" "$result" && grep -qx 'format_calibrating=8000/1/16/1' "$result" \
        || fail "capture did not follow the calibration dialog's formats"
    touch "$work/applied"
    VOICE=$(sed -n 's/^threshold=//p' "$result")
    rm -f "$work/record.txt.go" "$work/record.txt.calibrating" "$result"
    # Wherever the capture's blocks start, the solve's audio holds the eight
    # words at the threshold the calibration chose.
    check_onsets "$work/solve.wav" 8 || fail "at the calibrated threshold $VOICE the audio does not give 8 onsets at every block phase"
    read -r -a onsets <<<"$(sed -n '1s/^0://p' "$work/onsets.txt")"
    focus_window "$win" || fail "the window did not get the focus back"
}

PROBE_MODE=calibrate BEFORE_SOLVE=calibrate solve_with_splits "$work/solve.wav" 2 "$stop_ms"
[ "${#splits[@]}" -eq 9 ] || fail "expected 9 splits (one a word and the last phase), got ${#splits[@]}: $line"
check_edge_splits "${onsets[0]}" "${onsets[7]}"
check_middle_splits 40 || fail "a split between words is off by more than 40 ms"
rm -rf "$work"; echo PASS
