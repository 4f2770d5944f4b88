#!/bin/bash
# Words through the real program: 16 common words, each in two voices, as
# espeak-ng says them at its default pace (silence-trimmed, peak 0.9, not
# clipped, not chosen), 1.3 s apart under fast turning, played into a private
# PulseAudio's virtual microphone during one free-splits solve of the real
# window under Xvfb. Prints how many splits each word gave and the totals.
#
#   CADENZA_BUILD_DIR=$PWD/build sh tests/run-isolated.sh bash bench/words_through_app.sh [RATE]
#
# RATE is the virtual microphone's rate: 44100 (the default) resamples the
# 8000 Hz file on its way in and out, 8000 records its bytes as they are.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/e2e/lib/micsolve.sh"
work=$(mktemp -d /tmp/wordsapp.XXXXXX) VMIC_RATE=${1:-44100} exact="" onsets=()
WORDS="go okay yes stop fine now four done cross next good three two one check last" VOICES="en-us en-gb"

items=""
for v in $VOICES; do for w in $WORDS; do items="$items $w/$v"; done; done
speak_in_slots "$work/speech.wav" 175 -0.92 $items  # 175 wpm: espeak-ng's own pace
encoding="-b 16"
[ "$VMIC_RATE" = 8000 ] && encoding="-e unsigned -b 8"
under_turning "$work/speech.wav" 60 5 "$work/solve.wav" $encoding
stop_ms=$(soxi -D "$work/speech.wav" | awk '{ printf "%d", ($1 - 0.4) * 1000 }')
solve_with_splits "$work/solve.wav" 2 "$stop_ms" >/dev/null
# Onsets in file time: the solve began t_start - t0 into the file, and each
# split but the last ends at an onset. A word's slot begins 250 ms before its
# audio (a word may start on the turning just before it) and ends 1050 ms after.
echo "${splits[*]}" | awk -v lead=$((t_start - t0)) -v names="$items" -v rate="$VMIC_RATE" '
    { n = split(names, name, " "); at = lead
      for (k = 1; k < NF; k++) { at += $k; slot = int((at - 2000 + 250) / 1300)
          if (at >= 1750 && slot < n) got[slot]++; else stray++ } }
    END { for (s = 0; s < n; s++) { c = got[s] + 0; one += c == 1; none += c == 0; more += c > 1
              printf "%-12s %d\n", name[s + 1], c }
          printf "microphone at %d Hz, %d words: exactly one split %d, none %d, two or more %d, outside any word %d\n",
              rate, n, one, none, more, stray + 0 }'
rm -rf "$work"
