#!/bin/bash
# Each real csTimer export through the real dialogs (Ctrl+I, path typed, Return on the preselected
# merge choice, clean close): the autosave holds as many lines as a separate JSON reader counts solves.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
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
cd "$(mktemp -d)"
for file in "$data"/cstimer_*.txt; do
    name=$(basename "$file") expected=$(count_solves "$file")
    rm -f "$SESSION_FILE"
    start_cadenza
    xdotool key --clearmodifiers ctrl+i
    type_into_dialog 'Import solve session from CSTimer format' "$file"
    choice=$(wait_for_window 'Importing CSTimer data' 60) || fail "$name: no choice dialog"
    focus_window "$choice" || fail "$name: choice dialog has no focus"
    xdotool key Return
    wait_until "! xdotool search --onlyvisible --name 'Importing CSTimer data'" 30 || fail "$name: choice dialog stays open"
    close_cadenza
    got=$(wc -l <"$SESSION_FILE") || fail "$name: no autosave file written"
    note "$name: $got lines in the autosave file, $expected solves in the file"
    [ "$got" -eq "$expected" ] || fail "$name: $got solves saved, $expected expected"
done
echo "PASS: six real csTimer files imported through the dialogs"
