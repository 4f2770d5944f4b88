#!/bin/bash
# A free-splits solve through a virtual microphone: eight natural words in two
# voices at a calm pace, as espeak-ng says them (peak -1 dBFS, not clipped, not
# shaped), 1.3 s apart under fast turning. Every word gives exactly one split.
# The microphone runs at the program's own rate and the file is what the
# program asks for (8000 Hz unsigned 8-bit), so it records the file's bytes.
set -u
source "$(dirname "$0")/lib/micsolve.sh"; work=$(mktemp -d /tmp/micwords.XXXXXX) VMIC_RATE=8000
WORDS="cross okay stop yes four fine now done" VOICES=(en-gb en-us+f3)

# The words, each in its 1.3 s slot after 2 s of turning alone, and 1 s at the end.
sox -n -r 8000 -c 1 -b 16 "$work/lead.wav" trim 0 2.0 || fail "sox failed"
slots="" i=0
for w in $WORDS; do
    espeak-ng -v "${VOICES[$((i % 2))]}" -s 150 -w "$work/raw.wav" "$w" || fail "espeak-ng failed"
    sox -D "$work/raw.wav" -r 8000 -c 1 -b 16 "$work/w$i.wav" \
        silence 1 0.005 1% reverse silence 1 0.005 1% reverse norm -1 || fail "sox failed"
    pad=$(soxi -D "$work/w$i.wav" | awk '{ printf "%.4f", 1.3 - $1 }')
    sox "$work/w$i.wav" "$work/slot$i.wav" pad 0 "$pad" || fail "sox failed"
    slots="$slots $work/slot$i.wav" i=$((i + 1))
done
sox "$work/lead.wav" $slots "$work/speech.wav" pad 0 1.0 || fail "sox failed"
seconds=$(soxi -D "$work/speech.wav")
"$probe" turning 20 11 "$VOICE" "$work/turning.s16" || fail "mic_probe turning failed"
sox -t raw -r 8000 -e signed -b 16 -c 1 "$work/turning.s16" "$work/turning.wav" trim 0 "$seconds"
sox -D -m -v 1 "$work/speech.wav" -v 1 "$work/turning.wav" -e unsigned -b 8 "$work/solve.wav" 2>/dev/null || fail "sox failed"
# Wherever the capture's blocks start, the audio holds exactly the eight words.
check_onsets "$work/solve.wav" 8 || fail "the audio does not give 8 word onsets at every block phase"
read -r -a onsets <<<"$(sed -n '1s/^0://p' "$work/onsets.txt")"
stop_ms=$(awk -v s="$seconds" 'BEGIN { printf "%d", (s - 0.4) * 1000 }')

x11_start; pulse_start || fail "PulseAudio did not start"
mkdir -p "$XDG_CONFIG_HOME/Merlo" && printf '[General]\nsplitsCombo=2\n' >"$XDG_CONFIG_HOME/Merlo/Cadenza.conf"
run_solve "$work/solve.wav" "$stop_ms"
[ "${#splits[@]}" -eq 9 ] || fail "expected 9 splits (one a word and the last phase), got ${#splits[@]}: $line"
check_edge_splits "${onsets[0]}" "${onsets[7]}"
check_middle_splits 40 || fail "a split between words is off by more than 40 ms"
rm -rf "$work"; echo PASS
