# Helpers for end-to-end scripts on a real X server: x11_start exports DISPLAY;
# every pid handed to x11_track (and the servers) is killed at exit. The
# scripts get the built program as their first argument.
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

# The lines of FILE (the session file when none is named), 0 when there is none.
lines() { local f="${1:-$SESSION_FILE}"; if [ -f "$f" ]; then grep -c '' "$f"; else echo 0; fi; }
click() { xdotool mousemove "${1%,*}" "${1#*,}" click 1; }

# start_cadenza [PROGRAM]: starts the program (or the window probe, $PROBE) as PID and gives its window,
# WIN, the keyboard focus. close_cadenza closes it as a user does and waits for its end.
start_cadenza() {
    "${1:-$BIN}" >>"$X11_TMPDIR/cadenza.log" 2>&1 &
    PID=$!; x11_track $PID
    WIN=$(wait_for_window 'Cadenza v0' 30) || { cat "$X11_TMPDIR/cadenza.log" >&2; fail "the window did not appear"; }
    focus_window "$WIN" || fail "the window did not get the keyboard focus"
}
close_cadenza() {
    close_window_cleanly 'Cadenza v0' || fail "wmctrl could not close the window"
    wait_for_exit $PID 60 || { cat "$X11_TMPDIR/cadenza.log" >&2; fail "the program did not end after its window was closed"; }
}

# timed_solve N [FILE] [SECONDS]: after the program's 700 ms rest between keyboard starts and stops,
# releasing the space bar starts a solve of about a second (or SECONDS) and a letter stops it; FILE (the
# session file) then holds N solves.
timed_solve() {
    sleep 0.8; xdotool keydown space; xdotool keyup space; sleep "${3:-1}"; xdotool key a
    wait_until "[ \$(lines ${2:-}) -ge $1 ]" 10 || fail "solve $1 was not stored ($(lines ${2:-}) lines)"
}

# type_into_dialog TITLE PATH: the file dialog of that title takes the path and Return.
type_into_dialog() {
    local dlg
    dlg=$(wait_for_window "$1" 30) || fail "no dialog '$1'"
    focus_window "$dlg" || fail "dialog '$1' has no focus"
    xdotool type --delay 5 "$2"; xdotool key Return  # the completer may take this one
    wait_until "! xdotool search --onlyvisible --name '$1'" 5 || { xdotool key Return; wait_until "! xdotool search --onlyvisible --name '$1'" 10; } \
        || fail "dialog '$1' stays open"
}

# start_probe OUT: runs the window probe ($PROBE) as PID, its lines into OUT, and waits for its READY
# line, whose screen points it sets as START, PLUS2, REMOVE, ROW and FILE.
start_probe() {
    [ -x "$PROBE" ] || fail "no probe at $PROBE"
    : >"$1"
    "$PROBE" >>"$1" 2>>"$X11_TMPDIR/probe.log" & PID=$!; x11_track $PID
    wait_until "grep -q '^READY' '$1'" 30 || { cat "$X11_TMPDIR/probe.log" >&2; fail "the probe's window did not come up"; }
    read -r _ _ START PLUS2 REMOVE ROW FILE < <(grep '^READY' "$1")
    START=${START#start=} PLUS2=${PLUS2#plus2=} REMOVE=${REMOVE#remove=} ROW=${ROW#row=} FILE=${FILE#file=}
}

BIN="${1:-}"
PROBE="${CADENZA_BUILD_DIR:-$(dirname "${1:-.}")}/tests/window_probe"
