#!/bin/bash
# Every real csTimer export imports through the real dialogs: Ctrl+I, the path
# typed into the file dialog, Return, Return on the preselected "Merge all
# sessions together" choice, then a clean close. The autosave file must then
# hold one line per solve of the file, as counted by a separate JSON reader.
# $1 is the cadenza binary; the script runs inside a private /tmp.
set -euo pipefail

bin="$1"
here="$(cd "$(dirname "$0")" && pwd)"
src="${CADENZA_SOURCE_DIR:-$here/../..}"
data="$src/../shared/data/cstimer"
if ! ls "$data"/cstimer_*.txt >/dev/null 2>&1; then
    echo "SKIP: no shared csTimer data at $data"
    exit 0
fi

source "$here/lib/x11.sh"
x11_start

# Solves of a csTimer file: the records of every sessionN key, sessions
# stored as JSON strings included.
count_solves() {
    /usr/bin/python3 - "$1" <<'EOF'
import json, re, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
total = 0
for key, value in doc.items():
    if re.fullmatch(r'session\d+', key):
        records = json.loads(value) if isinstance(value, str) else value
        total += sum(1 for r in records if isinstance(r, list) and r and isinstance(r[0], list) and len(r[0]) >= 2)
print(total)
EOF
}

work=$(mktemp -d)
checked=0
for file in "$data"/cstimer_*.txt; do
    name=$(basename "$file")
    expected=$(count_solves "$file")
    rm -f /tmp/cadenza.times

    (cd "$work" && exec "$bin") >"$work/cadenza.log" 2>&1 &
    pid=$!
    x11_track $pid
    win=$(wait_for_window 'Cadenza v0\.5' 30) || fail "$name: no main window"
    focus_window "$win" || fail "$name: main window has no focus"
    xdotool key --clearmodifiers ctrl+i

    dlg=$(wait_for_window 'Import solve session from CSTimer format' 30) || fail "$name: no file dialog"
    focus_window "$dlg" || fail "$name: file dialog has no focus"
    xdotool type --delay 5 "$file"
    xdotool key Return
    # The completer may take the first Return; press again until the dialog goes.
    if ! wait_until "! xdotool search --onlyvisible --name 'Import solve session from CSTimer format'" 5; then
        xdotool key Return
        wait_until "! xdotool search --onlyvisible --name 'Import solve session from CSTimer format'" 10 \
            || fail "$name: file dialog stays open"
    fi

    choice=$(wait_for_window 'Importing CSTimer data' 60) || fail "$name: no choice dialog"
    focus_window "$choice" || fail "$name: choice dialog has no focus"
    xdotool key Return
    wait_until "! xdotool search --onlyvisible --name 'Importing CSTimer data'" 30 \
        || fail "$name: choice dialog stays open"

    close_window_cleanly 'Cadenza v0.5'
    wait_for_exit $pid 60 || fail "$name: program did not end after close (status $?)"
    [ -f /tmp/cadenza.times ] || fail "$name: no autosave file written"
    got=$(wc -l </tmp/cadenza.times)
    note "$name: $got lines in the autosave file, $expected solves in the file"
    [ "$got" -eq "$expected" ] || fail "$name: $got solves saved, $expected expected"
    checked=$((checked + 1))
done

echo "imported $checked real csTimer files through the dialogs"
[ "$checked" -eq 6 ] || fail "expected six real files, found $checked"
