#!/bin/bash
# Each real csTimer export through the real dialogs (Ctrl+I, path typed, Return on the preselected
# merge choice, clean close): the autosave holds as many lines as a separate JSON reader counts solves.
set -euo pipefail
bin="$1" here="$(cd "$(dirname "$0")" && pwd)"
data="${CADENZA_SHARED_DATA:-${CADENZA_SOURCE_DIR:-$here/../..}/../shared/data}/cstimer"
ls "$data"/cstimer_*.txt >/dev/null 2>&1 || { echo "SKIP: no shared csTimer data at $data"; exit 77; }
[ "$(ls "$data"/cstimer_*.txt | wc -l)" -eq 6 ] || { echo "FAIL: expected six real csTimer files" >&2; exit 1; }
source "$here/lib/x11.sh"; x11_start
count_solves() {
    /usr/bin/python3 -c 'import json, re, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
recs = [r for k, v in doc.items() if re.fullmatch(r"session\d+", k) for r in (json.loads(v) if isinstance(v, str) else v)]
print(sum(1 for r in recs if isinstance(r, list) and r and isinstance(r[0], list) and len(r[0]) >= 2))' "$1"
}
gone() { wait_until "! xdotool search --onlyvisible --name '$1'" "$2"; }
work=$(mktemp -d)
for file in "$data"/cstimer_*.txt; do
    name=$(basename "$file") expected=$(count_solves "$file")
    rm -f "$SESSION_FILE"
    (cd "$work" && exec "$bin") >"$work/cadenza.log" 2>&1 &
    pid=$!; x11_track $pid
    win=$(wait_for_window 'Cadenza v0\.5' 30) || fail "$name: no main window"
    focus_window "$win" || fail "$name: main window has no focus"
    xdotool key --clearmodifiers ctrl+i
    dlg=$(wait_for_window 'Import solve session from CSTimer format' 30) || fail "$name: no file dialog"
    focus_window "$dlg" || fail "$name: file dialog has no focus"
    xdotool type --delay 5 "$file"; xdotool key Return  # the completer may take this one
    gone 'Import solve session from CSTimer format' 5 || { xdotool key Return; gone 'Import solve session from CSTimer format' 10; } || fail "$name: file dialog stays open"
    choice=$(wait_for_window 'Importing CSTimer data' 60) || fail "$name: no choice dialog"
    focus_window "$choice" || fail "$name: choice dialog has no focus"
    xdotool key Return
    gone 'Importing CSTimer data' 30 || fail "$name: choice dialog stays open"
    close_window_cleanly 'Cadenza v0.5'
    wait_for_exit $pid 60 || fail "$name: program did not end after close (status $?)"
    got=$(wc -l <"$SESSION_FILE") || fail "$name: no autosave file written"
    note "$name: $got lines in the autosave file, $expected solves in the file"
    [ "$got" -eq "$expected" ] || fail "$name: $got solves saved, $expected expected"
done
echo "PASS: six real csTimer files imported through the dialogs"
