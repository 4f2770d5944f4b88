# Shared helpers for end-to-end scripts that need a real audio server with a
# microphone whose input the script controls.
#
#   source "$(dirname "$0")/lib/pulse.sh"
#   pulse_start                    # private PulseAudio with the virtual microphone
#   play_wav sound.wav             # plays into the microphone, returns when done
#   play_wav sound.wav & ...       # or in the background
#   pulse_kill                     # the server vanishes (SIGKILL), as in a crash
#   pulse_stop                     # orderly stop (also run at exit)
#
# The virtual microphone is a null sink "vmic" (44100 Hz, mono) whose monitor
# is the default source: whatever is played into vmic is what a program
# recording from the default input hears. An idle null sink runs at a two
# second latency and its monitor then hands out two-second chunks, so a
# silent null source is looped into vmic with 50 ms latency to keep it
# clocked in small steps; the sink is suspended and resumed once after loading
# so that the new latency takes effect.
#
# The server is private: its own 0700 runtime folder, cookie, state folder and
# client configuration (no autospawn), started without DISPLAY and with no
# default script, so nothing of the system's or the user's configuration takes
# part. Every client started after pulse_start (the program, paplay, pactl)
# finds it through the exported variables.

PULSE_PID=""
PULSE_DIR=""

_pulse_note() {
    echo "[$(date +%H:%M:%S.%N | cut -c1-12)] $*" >&2
}

# _pulse_wait CMD TIMEOUT_SECONDS: polls CMD every 50 ms until it succeeds.
_pulse_wait() {
    local cmd="$1" timeout="${2:-10}"
    local deadline=$(( $(date +%s%N) + ${timeout%.*} * 1000000000 ))
    while ! eval "$cmd" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
    return 0
}

# pulse_client_env: points clients at the private server (and keeps them from
# spawning one of their own). Useful on its own for the no-server scenario.
pulse_client_env() {
    if [ -z "$PULSE_DIR" ]; then
        PULSE_DIR=$(mktemp -d /tmp/pulse.XXXXXX)
    fi
    chmod 0700 "$PULSE_DIR"
    mkdir -p -m 0700 "$PULSE_DIR/runtime" "$PULSE_DIR/state"
    export XDG_RUNTIME_DIR="$PULSE_DIR/runtime"
    export PULSE_RUNTIME_PATH="$PULSE_DIR/runtime/pulse"
    export PULSE_STATE_PATH="$PULSE_DIR/state"
    export PULSE_COOKIE="$PULSE_DIR/cookie"
    export PULSE_SERVER="unix:$PULSE_DIR/runtime/pulse/native"
    printf 'autospawn = no\n' >"$PULSE_DIR/client.conf"
    export PULSE_CLIENTCONFIG="$PULSE_DIR/client.conf"
}

# pulse_start: starts the private server with the virtual microphone and waits
# until the microphone is the default source and clocked.
pulse_start() {
    pulse_client_env
    mkdir -p -m 0700 "$PULSE_RUNTIME_PATH"
    cat >"$PULSE_DIR/server.pa" <<EOF
load-module module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1
load-module module-null-sink sink_name=vmic rate=44100 channels=1
load-module module-null-source source_name=vclock rate=44100 channels=1
load-module module-loopback source=vclock sink=vmic latency_msec=50
set-default-source vmic.monitor
set-default-sink vmic
EOF
    # -n: no default script; the flags override whatever daemon.conf says.
    env -u DISPLAY pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit=yes \
        --system=no --use-pid-file=no --disable-shm=yes --log-target=stderr \
        --log-level=error -F "$PULSE_DIR/server.pa" >"$PULSE_DIR/pulse.log" 2>&1 &
    PULSE_PID=$!
    # Should the script end without running its exit trap (another library
    # replaced it, say), the server still goes when the script's shell goes.
    local server=$PULSE_PID script=$$
    ( while kill -0 "$script" 2>/dev/null; do sleep 1; done
      [ "$(cat "/proc/$server/comm" 2>/dev/null)" = pulseaudio ] && kill -9 "$server" ) >/dev/null 2>&1 &
    disown $! 2>/dev/null || true
    if ! _pulse_wait "pactl info" 15; then
        cat "$PULSE_DIR/pulse.log" >&2
        return 1
    fi
    _pulse_wait "pactl list short sinks | grep -q vmic" 10 || return 1
    pactl suspend-sink vmic 1
    pactl suspend-sink vmic 0
    _pulse_wait "pactl info | grep -q 'Default Source: vmic.monitor'" 10 || return 1
    _pulse_note "PulseAudio $PULSE_PID on $PULSE_SERVER with virtual microphone vmic"
    return 0
}

# play_wav FILE: plays FILE into the virtual microphone; returns when it ends.
# The stream keeps 400 ms queued in the server, so a busy machine that is late
# to refill it does not open a gap in the audio (which would shift everything
# after it).
play_wav() {
    paplay --device=vmic --latency-msec=400 "$1"
}

# pulse_kill: the server disappears at once, as if it crashed.
pulse_kill() {
    if [ -n "$PULSE_PID" ]; then
        kill -9 "$PULSE_PID" 2>/dev/null || true
        wait "$PULSE_PID" 2>/dev/null || true
        PULSE_PID=""
    fi
}

# pulse_stop: stops the server (if running) and removes its folder.
pulse_stop() {
    if [ -n "$PULSE_PID" ]; then
        kill "$PULSE_PID" 2>/dev/null || true
        local i=0
        while kill -0 "$PULSE_PID" 2>/dev/null && [ $i -lt 50 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        kill -9 "$PULSE_PID" 2>/dev/null || true
        wait "$PULSE_PID" 2>/dev/null || true
        PULSE_PID=""
    fi
    if [ -n "$PULSE_DIR" ]; then
        rm -rf "$PULSE_DIR"
        PULSE_DIR=""
    fi
}

# Scripts that also use x11.sh: source this file after it; the EXIT trap then
# runs both cleanups (the audio server after the X side). A watchdog started
# with the server stops it in any case when the script ends.
if [ "$(type -t x11_cleanup)" = function ]; then
    trap 'x11_cleanup; pulse_stop' EXIT
else
    trap pulse_stop EXIT
fi
