#!/bin/bash
# The live level through a virtual microphone: capture runs in the format the
# level sink reads byte by byte, with a buffer of about 10 ms, so that the
# level the refresh tick samples is a fresh one on most ticks while sound
# plays (a 1024-byte buffer at 8000 bytes/s hands out a new level only every
# 128 ms, a staircase). Prints the share of late ticks and of ticks that saw
# a new level.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"
probe="${CADENZA_BUILD_DIR:?}/tests/mic_probe"
[ -x "$probe" ] || fail "mic_probe is not built"

work=$(mktemp -d /tmp/miclevels.XXXXXX)
sox -n -r 44100 -c 1 -b 16 "$work/quiet.wav" trim 0 1.0
sox -R -n -r 44100 -c 1 -b 16 "$work/noise.wav" synth 3.0 whitenoise vol 0.3
sox "$work/quiet.wav" "$work/noise.wav" "$work/quiet.wav" "$work/quiet.wav" "$work/feed.wav"

x11_start
pulse_start || fail "PulseAudio did not start"

"$probe" run "$work/ready" "$work/result" 6 >"$work/probe.log" 2>&1 &
pid=$!
x11_track $pid
wait_until "[ -s '$work/ready' ]" 30 || fail "the probe did not come up"
grep -q '^capture=yes' "$work/ready" || { cat "$work/ready"; fail "no capture"; }
tr '\n' ' ' <"$work/ready"; echo
# The first entries of the device's lists: 8000 Hz, mono, unsigned 8-bit
# (sample type 2), and a buffer of 10 ms of it.
for kv in rate=8000 channels=1 size=8 type=2 buffer=80; do
    grep -qx "$kv" "$work/ready" || fail "expected $kv"
done

play_wav "$work/feed.wav"
wait_for_exit $pid 30 || fail "the probe did not finish"
grep -E '^(samples|late_gaps|max_gap|tick_ms_median|tick_ms_p99|tick_ms_max)=' "$work/result" | tr '\n' ' '
echo

# Over the ticks inside the noise (from its first loud level to its last),
# how often did the sampled level change from the previous tick?
read -r noise_ticks noise_ms changed late total < <(awk '
    /^late_gaps=/ { sub("late_gaps=", ""); late = $0 }
    /^record$/ { rec = 1; next }
    rec { t[n] = $1; l[n] = $2; n++ }
    END {
        first = -1
        for (i = 0; i < n; i++) if (l[i] > 0.4) { if (first < 0) first = i; last = i }
        c = 0
        for (i = first + 1; i <= last; i++) if (l[i] != l[i - 1]) c++
        print last - first, t[last] - t[first], c, late, n
    }' "$work/result")
echo "ticks in noise: $noise_ticks ($noise_ms ms), level changed on $changed of them;" \
     "late ticks (>12 ms after the previous one): $late of $total"
[ "$noise_ms" -ge 2700 ] && [ "$noise_ms" -le 3300 ] || fail "the noise lasts 3 s; the level was up for $noise_ms ms"
# A staircase changes the level on fewer than one tick in ten.
[ $((changed * 100)) -ge $((noise_ticks * 40)) ] || fail "the level changed on only $changed of $noise_ticks ticks"
# After the noise the level falls back to the floor.
tail -n 20 "$work/result" | awk '$2 > 0.4 { exit 1 }' || fail "the level stays up after the noise"
rm -rf "$work"
echo "PASS"
