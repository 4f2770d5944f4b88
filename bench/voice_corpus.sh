#!/bin/sh
# Speaks the word corpus of the voice benchmarks into DIR (a cache in the build
# tree: files already there are kept): for every voice, speed and word one raw
# file of signed 16-bit mono samples at 8000 Hz, silence trimmed at both ends
# and the peak set to -1 dBFS, named VOICE_SPEED_WORD.s16. CORPUS_VOICES and
# CORPUS_SPEEDS choose fewer voices or speeds.
#   voice_corpus.sh DIR
set -eu
dir=${1:?usage: voice_corpus.sh DIR}
mkdir -p "$dir"
VOICES=${CORPUS_VOICES:-"en-us en-us+f3 en-gb en+f2 en-gb-scotland en+m3 en-029+f4"}
SPEEDS=${CORPUS_SPEEDS:-"150 210"}
WORDS="go okay yes stop fine now four done cross next good three two one check last top time"
for v in $VOICES; do
    for s in $SPEEDS; do
        for w in $WORDS; do
            out="$dir/${v}_${s}_${w}.s16"
            [ -s "$out" ] && continue
            espeak-ng -v "$v" -s "$s" -w "$dir/tmp.wav" "$w"
            sox -D "$dir/tmp.wav" -r 8000 -c 1 -b 16 -e signed -t raw "$out.part" \
                silence 1 0.005 1% reverse silence 1 0.005 1% reverse norm -1
            mv "$out.part" "$out"
        done
    done
done
rm -f "$dir/tmp.wav"
