#!/bin/bash
# A scripted solve through a virtual microphone with voice-activated CFOP splits:
# turning noise between the thresholds, four known silences and three words.
set -u
source "$(dirname "$0")/lib/micsolve.sh"; work=$(mktemp -d /tmp/micsolve.XXXXXX)

noise() { sox -R -n -r 44100 -c 1 -b 16 "$work/$1.wav" synth "$2" whitenoise vol 0.1; }
silence() { sox -n -r 44100 -c 1 -b 16 "$work/$1.wav" trim 0 "$2"; }
word() {  # a high, slow voice trimmed, limited and cut to 250 ms with a short fade
    espeak-ng -p 90 -s 130 -w "$work/raw_$1.wav" "$1" || fail "espeak-ng failed"
    sox -R -D "$work/raw_$1.wav" -r 44100 -c 1 -b 16 "$work/$1.wav" silence 1 0.01 1% reverse \
        silence 1 0.01 1% reverse norm -1 gain -l 14 trim 0 0.25 fade t 0 0.25 0.01 2>/dev/null
}
noise lead 2.0; noise n06 0.6; noise n08 0.8; noise n05 0.5; noise n07 0.7; noise tail 1.6
silence s050 0.50; silence s035 0.35; silence s080 0.80; silence s030 0.30; FED_PAUSES=4 FED_SILENCE=1.95
for w in go back now; do word $w; done
parts="lead s050 n06 go n08 s035 n05 back n07 s080 n06 now n06 s030"
sox -R $(for p in $parts tail; do echo "$work/$p.wav"; done) "$work/solve.wav" || fail "sox failed"
stop_ms=$(for p in $parts; do soxi -D "$work/$p.wav"; done | awk '{ s += $1 } END { printf "%d", (s + 0.6) * 1000 }')
solve_words "$work/solve.wav" 3 1 "$stop_ms"
[ "${f[2]}" -eq $FED_PAUSES ] || fail "expected $FED_PAUSES pauses, got ${f[2]}"
awk -v i="${f[1]}" -v s="$FED_SILENCE" -v t="${f[0]}" 'BEGIN { d = i - s * 1000 / t; print "idle fraction " i ", fed " s * 1000 / t
    exit !(d <= 0.03 && d >= -0.03) }' || fail "idle fraction off by more than 0.03"
rm -rf "$work"; echo PASS
