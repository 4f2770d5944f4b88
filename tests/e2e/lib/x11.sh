# Helpers for end-to-end scripts on a real X server: x11_start exports DISPLAY;
# every pid handed to x11_track (and the servers) is killed at exit.
X11_PIDS=""
X11_TMPDIR=""
# The file the program keeps the session in, and where older versions kept it.
SESSION_FILE="${XDG_DATA_HOME:-$HOME/.local/share}/Merlo/Cadenza/cadenza.times"
LEGACY_SESSION_FILE=/tmp/cadenza.times
export QT_QPA_PLATFORM=xcb  # the program runs on the X server these scripts start

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "[$(date +%H:%M:%S.%N | cut -c1-12)] $*" >&2; }
x11_track() { X11_PIDS="$X11_PIDS $1"; }

x11_cleanup() {
    local pid i
    # Newest first: the program before the window manager before the server.
    for pid in $(echo $X11_PIDS | tr ' ' '\n' | tac); do kill "$pid" 2>/dev/null || true; done
    for pid in $X11_PIDS; do
        i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 30 ]; do sleep 0.1; i=$((i + 1)); done
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    X11_PIDS=""
    [ -n "$X11_TMPDIR" ] && rm -rf "$X11_TMPDIR"
    X11_TMPDIR=""
}
trap x11_cleanup EXIT
trap 'exit 130' INT TERM

# wait_until CMD [timeout_s]: evals CMD every 50 ms until it succeeds; 1 on timeout.
wait_until() {
    local cmd="$1" timeout="${2:-10}"
    local deadline=$(( $(date +%s%N) + ${timeout%.*} * 1000000000 ))
    while ! eval "$cmd" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# Without a window manager the focus follows the pointer and xdotool's keys get
# lost. Auto-repeat stays on, so a held key produces real repeats. Without
# -noreset the server resets when its last client leaves: the window manager,
# started right after the xdpyinfo probe disconnects, then cannot connect.
x11_start() {
    X11_TMPDIR=$(mktemp -d)
    local dfile="$X11_TMPDIR/display"
    : >"$dfile"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset r 3>"$dfile" >"$X11_TMPDIR/xvfb.log" 2>&1 &
    x11_track $!
    wait_until "[ -s '$dfile' ]" 15 || { cat "$X11_TMPDIR/xvfb.log" >&2; fail "Xvfb did not start"; }
    export DISPLAY=":$(head -n1 "$dfile" | tr -d '[:space:]')"
    wait_until "xdpyinfo" 15 || fail "X server $DISPLAY does not answer"
    matchbox-window-manager -use_titlebar no >"$X11_TMPDIR/wm.log" 2>&1 &
    x11_track $!
    wait_until "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" 15 || fail "window manager did not start"
    note "X server on $DISPLAY with window manager"
}

# wait_for_window TITLE_REGEX [timeout]: prints the first visible matching window id.
wait_for_window() {
    local id=""
    wait_until "id=\$(xdotool search --onlyvisible --name '$1' | head -n1); [ -n \"\$id\" ]" "${2:-20}" || return 1
    echo "$id"
}

# focus_window ID: raises the window and waits until it has the keyboard focus.
focus_window() {
    xdotool windowactivate "$1" 2>/dev/null || true
    wait_until "[ \"\$(xdotool getwindowfocus 2>/dev/null)\" = '$1' ] || xdotool getactivewindow 2>/dev/null | grep -qx '$1'" 10
}

# Closing through the window manager lets the program run its shutdown
# (xdotool windowclose would destroy the window without a close event).
close_window_cleanly() { wmctrl -c "$1"; }

# wait_for_exit PID [timeout]: the child's exit status, or 124 at the deadline.
wait_for_exit() {
    wait_until "! kill -0 $1" "${2:-20}" || return 124
    wait "$1" 2>/dev/null
}
