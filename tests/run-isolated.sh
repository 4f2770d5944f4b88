#!/bin/sh
# Runs a test command in its own mount namespace with a private, empty /tmp
# and private home, settings, data and runtime folders (all inside that /tmp),
# so no test ever reaches the user's real session, backups or settings, nor a
# session file an older version left in the real /tmp. Works as root and, through a user
# namespace, as an ordinary user.
set -eu

if [ "${CADENZA_ISOLATED:-}" != 1 ]; then
    export CADENZA_ISOLATED=1
    if [ "$(id -u)" -eq 0 ]; then
        exec unshare --mount --propagation private -- sh "$0" "$@"
    else
        exec unshare --user --map-root-user --mount --propagation private -- sh "$0" "$@"
    fi
fi

# Whatever the command needs from the old /tmp (a build or a checkout that
# happens to live there) is bound back into the new one.
keep=""
for p in "$(pwd -P)" "$(readlink -f "$1" 2>/dev/null || echo "$1")" "${CADENZA_BUILD_DIR:-}" "${CADENZA_SOURCE_DIR:-}"; do
    case "$p" in
        /tmp/*) keep="$keep $(echo "$p" | cut -d/ -f3)" ;;
    esac
done

if [ -n "$keep" ]; then
    mount -t tmpfs tmpfs /mnt
    mkdir /mnt/oldtmp
    mount --rbind /tmp /mnt/oldtmp
fi
mount -t tmpfs -o mode=1777 tmpfs /tmp
for top in $keep; do
    if [ ! -d "/tmp/$top" ]; then
        mkdir -p "/tmp/$top"
        mount --rbind "/mnt/oldtmp/$top" "/tmp/$top"
    fi
done
cd "$(pwd -P)" 2>/dev/null || true

export HOME=/tmp/home
export XDG_CONFIG_HOME=/tmp/home/.config
export XDG_DATA_HOME=/tmp/home/.local/share
export XDG_CACHE_HOME=/tmp/home/.cache
export XDG_RUNTIME_DIR=/tmp/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
exec "$@"
