#!/bin/bash
# The session's safety with the real program and real keys and clicks:
#  - another user's /tmp/cadenza.times is neither loaded nor changed;
#  - a reboot (an emptied /tmp) keeps the session;
#  - a second instance is refused without writing anything, and the first one's
#    later solves survive;
#  - Clear Times leaves a backup holding the cleared session; pruning keeps 30;
#  - a full disk is told once, loses nothing in memory, and writing resumes.
# Usage: test_session_safety.sh CADENZA_BINARY (inside the isolated runner)
set -u
# The data folder must outlive the emptied /tmp: home goes to a private tmpfs outside it.
mount -t tmpfs -o mode=0755 tmpfs /srv 2>/dev/null || { echo "SKIP: cannot mount a private home on /srv"; exit 77; }
export HOME=/srv/home XDG_DATA_HOME=/srv/home/.local/share XDG_CONFIG_HOME=/srv/home/.config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
source "$(dirname "$0")/lib/x11.sh"
DATA=$(dirname "$SESSION_FILE") BACKUPS="$(dirname "$SESSION_FILE")/backups" out="$X11_TMPDIR/probe.out"
fingerprint() { stat -c '%u %a %s %Y %i' "$1"; sha256sum <"$1"; }
x11_start

# ---- another user's file in /tmp -------------------------------------------------
printf '4321|0|0[]R U|1700000000|0\n' >"$LEGACY_SESSION_FILE"
if chown 65534:65534 "$LEGACY_SESSION_FILE" 2>/dev/null; then
    chmod 0666 "$LEGACY_SESSION_FILE"  # even writable by all, it is not ours
    theirs=$(fingerprint "$LEGACY_SESSION_FILE")
    start_cadenza
    timed_solve 1
    close_cadenza
    [ "$(lines)" = 1 ] && ! grep -q '^4321|' "$SESSION_FILE" || fail "another user's /tmp file was loaded"
    [ "$(fingerprint "$LEGACY_SESSION_FILE")" = "$theirs" ] || fail "another user's /tmp file was changed"
    note "another user's /tmp/cadenza.times: not loaded, not changed"
else
    note "cannot give a file to another user here (not root): that part is not checked"
    rm -f "$LEGACY_SESSION_FILE"
    start_cadenza; timed_solve 1; close_cadenza
fi
[ "$(stat -c %a "$DATA")" = 700 ] && [ "$(stat -c %a "$SESSION_FILE")" = 600 ] || fail "folder or file not private"

# ---- reboot: /tmp emptied, the session is all there ------------------------------------
start_cadenza; timed_solve 2; close_cadenza
cp "$SESSION_FILE" "$X11_TMPDIR/before-reboot"
saved=$(cat "$X11_TMPDIR/before-reboot")
for entry in /tmp/* /tmp/.[!.]*; do
    [ -e "$entry" ] || continue
    case "$entry" in /tmp/.X11-unix | /tmp/.X*-lock | "$X11_TMPDIR") continue ;; esac
    mountpoint -q "$entry" || rm -rf "$entry"
done
start_cadenza
[ "$(cat "$SESSION_FILE")" = "$saved" ] || fail "the session changed across the reboot"

# ---- a second instance: refused, writes nothing ----------------------------------------
state() { find "$DATA" "$XDG_CONFIG_HOME" -printf '%p %s %T@ %i\n' | sort; }
before=$(state)
"$BIN" >>"$X11_TMPDIR/second.log" 2>&1 & second=$!; x11_track $second
box=$(wait_for_window '^Cadenza$' 30) || fail "the second instance showed no message"
focus_window "$box" || fail "the message has no focus"
xdotool key Return
wait_for_exit $second 20; rc=$?
[ $rc -ne 0 ] && [ $rc -ne 124 ] || fail "the second instance did not quit with a failure status ($rc)"
[ "$(state)" = "$before" ] || { diff <(echo "$before") <(state) >&2; fail "the second instance wrote something"; }
focus_window "$WIN" || fail "the first window did not get the focus back"
timed_solve 3
close_cadenza
[ "$(lines)" = 3 ] && [ "$(head -n 2 "$SESSION_FILE")" = "$saved" ] || fail "the first instance's solves did not all survive"
note "second instance refused; the first one's later solve kept"

# ---- backups: pruned to 30, Clear Times leaves one with the cleared session ---------------
rm -f "$BACKUPS"/*  # today's copy: the next start is the first of the day again
for i in $(seq -w 10 44); do echo "old $i" >"$BACKUPS/cadenza-20200101-0000$i.times"; done
start_probe "$out"
solves_now() { grep '^SOLVES' "$out" | tail -n 1 | cut -d' ' -f2; }
[ "$(ls "$BACKUPS" | grep -c '')" = 30 ] || fail "the first start of the day left $(ls "$BACKUPS" | grep -c '') backups, not 30"
[ ! -e "$BACKUPS/cadenza-20200101-000015.times" ] && [ -e "$BACKUPS/cadenza-20200101-000016.times" ] || fail "pruning did not drop the oldest"
click "$START"; click "$START"
wait_until '[ "$(solves_now)" = 4 ] && [ $(lines) = 4 ]' 10 || fail "the clicked solve was not stored"
cp "$SESSION_FILE" "$X11_TMPDIR/before-clear"
click "$FILE"; sleep 0.3; xdotool key Down Down Down Return   # File > Clear Times
wait_until '[ "$(solves_now)" = 0 ] && [ $(lines) = 0 ]' 10 || fail "Clear Times did not clear"
found=""; for b in "$BACKUPS"/*; do cmp -s "$b" "$X11_TMPDIR/before-clear" && found=$b; done
[ -n "$found" ] || fail "no backup holds the cleared session"
[ "$(ls "$BACKUPS" | grep -c '')" = 30 ] || fail "$(ls "$BACKUPS" | grep -c '') backups after Clear Times, not 30"
note "Clear Times backed up to $(basename "$found"); 30 backups kept"

# ---- a full disk: told once, nothing lost, writing resumes ----------------------------------
close_cadenza
mkdir "$X11_TMPDIR/keep" && cp -a "$DATA/." "$X11_TMPDIR/keep/"
mount -t tmpfs -o size=256k,mode=0700 tmpfs "$DATA" || fail "cannot mount a small file system on the data folder"
cp -a "$X11_TMPDIR/keep/cadenza.times" "$DATA/"
start_probe "$out"
click "$START"; click "$START"
wait_until '[ $(lines) = 1 ]' 10 || fail "the first solve was not written"
dd if=/dev/zero of="$DATA/filler" bs=4k 2>/dev/null; [ "$(df --output=avail "$DATA" | tail -n 1)" -lt 8 ] || fail "the disk did not fill"
for n in 2 3 4; do
    click "$START"; click "$START"
    wait_until "[ \"\$(solves_now)\" = $n ]" 10 || fail "solve $n was not taken"
done
wait_until "grep -q '^STATUS Could not save the session' '$out'" 10 || { df "$DATA"; ls -la "$DATA"; cat "$out"; fail "the user was not told"; }
[ "$(grep -c '^STATUS' "$out")" = 1 ] || fail "told more than once: $(grep '^STATUS' "$out")"
[ "$(lines)" = 1 ] || fail "the file on the full disk changed ($(lines) lines)"
note "$(grep '^STATUS' "$out")"
rm "$DATA/filler"
click "$START"; click "$START"
wait_until '[ $(lines) = 5 ]' 10 || fail "writing did not resume after space was freed ($(lines) lines)"
wait_until "grep -q '^STATUS The session is saved again' '$out'" 10 || fail "the user was not told it is saved again"
close_cadenza
[ "$(lines)" = 5 ] || fail "$(lines) solves after the close, not 5"
echo "PASS"
