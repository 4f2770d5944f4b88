# A private PulseAudio whose default source is a virtual microphone: whatever
# play_wav plays into the null sink "vmic" is what the program records.
#   pulse_start | play_wav FILE | pulse_kill (SIGKILL, as a crash) | pulse_stop
# The microphone runs at $VMIC_RATE Hz (44100 unless set): at the program's own
# 8000 Hz nothing is resampled, and it records the played file's samples.
# An idle null sink runs at 2 s latency and its monitor then hands out 2 s
# chunks: a silent null source looped in at 50 ms keeps it clocked, and one
# suspend/resume makes the new latency take effect.

PULSE_PID=""
PULSE_DIR=""

_pulse_wait() {  # CMD TIMEOUT_SECONDS: polls CMD every 50 ms until it succeeds
    local deadline=$(( $(date +%s) + $2 ))
    until eval "$1" >/dev/null 2>&1; do
        [ "$(date +%s)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# Points clients at the private server and keeps them from spawning one; on
# its own it gives the no-server scenario.
pulse_client_env() {
    [ -n "$PULSE_DIR" ] || PULSE_DIR=$(mktemp -d /tmp/pulse.XXXXXX)
    chmod 0700 "$PULSE_DIR"
    mkdir -p -m 0700 "$PULSE_DIR/runtime/pulse" "$PULSE_DIR/state"
    export XDG_RUNTIME_DIR="$PULSE_DIR/runtime" PULSE_RUNTIME_PATH="$PULSE_DIR/runtime/pulse"
    export PULSE_STATE_PATH="$PULSE_DIR/state" PULSE_COOKIE="$PULSE_DIR/cookie"
    export PULSE_SERVER="unix:$PULSE_DIR/runtime/pulse/native" PULSE_CLIENTCONFIG="$PULSE_DIR/client.conf"
    echo 'autospawn = no' >"$PULSE_CLIENTCONFIG"
}

pulse_start() {
    pulse_client_env
    cat >"$PULSE_DIR/server.pa" <<EOF
load-module module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1
load-module module-null-sink sink_name=vmic rate=${VMIC_RATE:-44100} channels=1
load-module module-null-source source_name=vclock rate=${VMIC_RATE:-44100} channels=1
load-module module-loopback source=vclock sink=vmic latency_msec=50
set-default-source vmic.monitor
set-default-sink vmic
EOF
    env -u DISPLAY pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit=yes \
        --system=no --use-pid-file=no --disable-shm=yes --log-target=stderr \
        --log-level=error -F "$PULSE_DIR/server.pa" >"$PULSE_DIR/pulse.log" 2>&1 &
    PULSE_PID=$!
    # A watchdog: the server goes when the script's shell goes, trap or not.
    local server=$PULSE_PID script=$$
    ( while kill -0 "$script" 2>/dev/null; do sleep 1; done
      [ "$(cat "/proc/$server/comm" 2>/dev/null)" = pulseaudio ] && kill -9 "$server" ) >/dev/null 2>&1 &
    disown $! 2>/dev/null || true
    _pulse_wait "pactl list short sinks | grep -q vmic" 15 || { cat "$PULSE_DIR/pulse.log" >&2; return 1; }
    pactl suspend-sink vmic 1 && pactl suspend-sink vmic 0
    _pulse_wait "pactl info | grep -q 'Default Source: vmic.monitor'" 10
}

# 400 ms queued in the server: a busy machine late to refill the stream does
# not open a gap that would shift everything after it.
play_wav() { paplay --device=vmic --latency-msec=400 "$1"; }

pulse_kill() {
    [ -n "$PULSE_PID" ] && { kill -9 "$PULSE_PID"; wait "$PULSE_PID"; } 2>/dev/null
    PULSE_PID=""
}

pulse_stop() {
    if [ -n "$PULSE_PID" ]; then
        kill "$PULSE_PID" 2>/dev/null
        _pulse_wait "! kill -0 $PULSE_PID" 5
        pulse_kill
    fi
    [ -n "$PULSE_DIR" ] && rm -rf "$PULSE_DIR"
    PULSE_DIR=""
}

# Source after x11.sh: the exit trap then stops the audio server after the X side.
if [ "$(type -t x11_cleanup)" = function ]; then trap 'x11_cleanup; pulse_stop' EXIT; else trap pulse_stop EXIT; fi
