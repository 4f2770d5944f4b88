#!/bin/bash
# Files through the real dialogs, menus and keys: nothing is lost and no failure
# passes for success.
#  - Load Times of a larger file leaves a backup holding the replaced session;
#  - Save Times into a read-only folder, and Import of a text file that is no
#    csTimer export, each show a message box naming the file;
#  - a session file that is a dangling link is told about at start, stays as it
#    is, and the solve timed in that run is kept in a recovery file.
# Usage: test_file_failures.sh CADENZA_BINARY (inside the isolated runner)
set -u
source "$(dirname "$0")/lib/x11.sh"
DATA=$(dirname "$SESSION_FILE") BACKUPS="$(dirname "$SESSION_FILE")/backups"
work=$(mktemp -d) out="$X11_TMPDIR/probe.out"
readonly_dir="$work/readonly"
mkdir "$readonly_dir" && mount -t tmpfs -o ro,size=64k tmpfs "$readonly_dir" 2>/dev/null \
    || { echo "SKIP: cannot mount a read-only folder here"; exit 77; }
# expect_message TITLE TEXT: the window showed a message box of that title naming TEXT; Return closes it.
expect_message() {
    wait_until "grep -qF 'MESSAGE $1|' '$out'" 20 || fail "no message box '$1'"
    grep -F "MESSAGE $1|" "$out" | tail -n 1 | grep -qF "$2" || fail "the message does not name $2: $(grep '^MESSAGE' "$out")"
    box=$(wait_for_window "^$1\$" 10) || fail "message box '$1' not on screen"
    focus_window "$box" && xdotool key Return
    wait_until "! xdotool search --onlyvisible --name '^$1\$'" 10 || fail "message box '$1' stays open"
    note "message box: $(grep -F "MESSAGE $1|" "$out" | tail -n 1)"
}
x11_start

# ---- Load Times of a larger file: the replaced session is backed up ------------------
mkdir -p "$DATA" "$BACKUPS"
echo "made earlier today" >"$BACKUPS/cadenza-$(date +%Y%m%d)-000000.times"  # no first-start copy of the day
printf '1000|0|0[]R|1700000000|0\n2000|0|0[]U|1700000001|0\n' >"$SESSION_FILE"
cp "$SESSION_FILE" "$work/replaced.times"
printf '5000|0|0[]D|1700000005|0\n6000|0|0[]B|1700000006|0\n7000|0|0[]L|1700000007|0\n' >"$work/larger.times"
cd "$work" && start_probe "$out" && WIN=$(wait_for_window 'Cadenza v0' 10) || fail "no main window"
click "$FILE"; sleep 0.3; xdotool key Down Return   # File > Load Times
type_into_dialog 'Load times list' "$work/larger.times"
wait_until '[ "$(lines)" = 3 ]' 10 || fail "the larger file was not loaded"
found=""; for b in "$BACKUPS"/*; do [ -f "$b" ] && cmp -s "$b" "$work/replaced.times" && found=$b; done
[ -n "$found" ] || fail "no backup holds the replaced session"
note "Load Times of 3 solves over 2: $(basename "$found") holds the 2"

# ---- Save Times into a read-only folder: told, with the file named ---------------------
focus_window "$WIN" || fail "the window has no focus"
click "$FILE"; sleep 0.3; xdotool key Down Down Return   # File > Save Times
type_into_dialog 'Save times list' "$readonly_dir/out.times"
expect_message 'Save Times' "$readonly_dir/out.times"

# ---- Import of a text file that is no csTimer export: told, nothing imported ------------
printf 'shopping list\nmilk\n' >"$work/notes.txt"
focus_window "$WIN" || fail "the window has no focus"
xdotool key --clearmodifiers ctrl+i
type_into_dialog 'Import solve session from CSTimer format' "$work/notes.txt"
expect_message 'Import CSTimer Session' "$work/notes.txt"
[ "$(lines)" = 3 ] || fail "the session changed"
close_cadenza

# ---- a dangling session link: told, never written, the solve kept aside ----------------
rm -f "$SESSION_FILE"; ln -s /media/not-mounted/cadenza.times "$SESSION_FILE"
start_probe "$out"
expect_message 'Session file' "$SESSION_FILE"
WIN=$(wait_for_window 'Cadenza v0' 10) && focus_window "$WIN" || fail "the window has no focus"
sleep 0.8; xdotool keydown space; xdotool keyup space; sleep 0.5; xdotool key a   # a solve with real keys
wait_until "grep -q '^SOLVES 1' '$out'" 10 || fail "the solve was not taken"
close_cadenza
[ "$(readlink "$SESSION_FILE")" = /media/not-mounted/cadenza.times ] || fail "the session link was changed"
recovered=$(ls "$DATA"/cadenza-recovered-*.times 2>/dev/null | head -n 1)
[ -n "$recovered" ] && [ "$(lines "$recovered")" = 1 ] || fail "no recovery file holds the solve"
note "dangling link kept; the solve is in $(basename "$recovered")"
echo "PASS"
