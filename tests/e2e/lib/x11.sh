# Shared helpers for end-to-end scripts that need a real X server.
#
#   source "$(dirname "$0")/lib/x11.sh"
#   x11_start                      # Xvfb + window manager, exports DISPLAY
#   cadenza_bin & pid=$!; x11_track $pid
#   win=$(wait_for_window 'Cadenza v0\.5' 20) || fail "no window"
#   ...
#   close_window_cleanly 'Cadenza v0.5'; wait_for_exit $pid 20
#
# Everything started here (and every pid handed to x11_track) is killed when
# the script exits, whatever way it exits. Keyboard auto-repeat stays on in
# the server: holding a key through xdotool then produces real repeats.

X11_PIDS=""
X11_TMPDIR=""

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "[$(date +%H:%M:%S.%N | cut -c1-12)] $*" >&2
}

# Remembers a process to kill at exit.
x11_track() {
    X11_PIDS="$X11_PIDS $1"
}

x11_cleanup() {
    local pid
    # Newest first: the program before the window manager before the server.
    for pid in $(echo $X11_PIDS | tr ' ' '\n' | tac); do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $X11_PIDS; do
        local i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 30 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    X11_PIDS=""
    [ -n "$X11_TMPDIR" ] && rm -rf "$X11_TMPDIR"
    X11_TMPDIR=""
}
trap x11_cleanup EXIT
trap 'exit 130' INT TERM

# wait_until CMD [timeout_seconds]: runs CMD (through eval) every 50 ms until
# it succeeds; returns 1 when the deadline passes first.
wait_until() {
    local cmd="$1" timeout="${2:-10}"
    local deadline=$(( $(date +%s%N) + ${timeout%.*} * 1000000000 ))
    while ! eval "$cmd" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
    return 0
}

# x11_start: starts Xvfb on a free display (the server picks it) and a window
# manager, and exports DISPLAY. Without a window manager the keyboard focus
# follows the pointer and xdotool's keys get lost.
x11_start() {
    X11_TMPDIR=$(mktemp -d)
    local dfile="$X11_TMPDIR/display"
    : >"$dfile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp r \
        3>"$dfile" >"$X11_TMPDIR/xvfb.log" 2>&1 &
    x11_track $!
    wait_until "[ -s '$dfile' ]" 15 || { cat "$X11_TMPDIR/xvfb.log" >&2; fail "Xvfb did not start"; }
    export DISPLAY=":$(head -n1 "$dfile" | tr -d '[:space:]')"
    wait_until "xdpyinfo" 15 || fail "X server $DISPLAY does not answer"
    # Keep auto-repeat on (the server's own default, stated for clarity).
    if command -v xset >/dev/null 2>&1; then
        xset r on
    fi
    matchbox-window-manager -use_titlebar no >"$X11_TMPDIR/wm.log" 2>&1 &
    x11_track $!
    # The window manager is up once it has claimed the root window.
    wait_until "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" 15 \
        || fail "window manager did not start"
    note "X server on $DISPLAY with window manager"
}

# wait_for_window TITLE_REGEX [timeout]: prints the id of the first visible
# window whose title matches (Qt's hidden helper window is skipped).
wait_for_window() {
    local title="$1" timeout="${2:-20}"
    local deadline=$(( $(date +%s%N) + ${timeout%.*} * 1000000000 ))
    local id
    while :; do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# focus_window ID: raises the window and waits until it has the keyboard focus.
focus_window() {
    local id="$1"
    xdotool windowactivate "$id" 2>/dev/null || true
    wait_until "[ \"\$(xdotool getwindowfocus 2>/dev/null)\" = '$id' ] || xdotool getactivewindow 2>/dev/null | grep -qx '$id'" 10
}

# close_window_cleanly TITLE: asks the window to close through the window
# manager, so the program sees a close event, leaves its event loop and runs
# its shutdown (xdotool windowclose would destroy the window without that).
close_window_cleanly() {
    wmctrl -c "$1"
}

# wait_for_exit PID [timeout]: waits for a child process to end; returns its
# exit status, or 124 when it is still running at the deadline.
wait_for_exit() {
    local pid="$1" timeout="${2:-20}"
    wait_until "! kill -0 $pid" "$timeout" || return 124
    wait "$pid" 2>/dev/null
}
