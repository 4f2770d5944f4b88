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
items="" i=0
for w in $WORDS; do items="$items $w/${VOICES[$((i % 2))]}" i=$((i + 1)); done
speak_in_slots "$work/speech.wav" 150 -1 $items
under_turning "$work/speech.wav" 20 11 "$work/solve.wav" -e unsigned -b 8
stop_ms=$(soxi -D "$work/speech.wav" | awk '{ printf "%d", ($1 - 0.4) * 1000 }')
solve_words "$work/solve.wav" 8 2 "$stop_ms"
rm -rf "$work"; echo PASS
