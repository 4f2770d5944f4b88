#!/bin/sh
# Installs from Debian's repositories whatever Cadenza needs to build, run and
# test that is not there yet. Idempotent, and quiet when nothing is missing.
# Works as root and, through sudo, for an ordinary user.
set -eu

PACKAGES="build-essential cmake pkg-config
qtbase5-dev qtbase5-dev-tools qtmultimedia5-dev libqt5multimedia5-plugins
fonts-dejavu-core
xvfb xauth x11-utils xdotool matchbox-window-manager wmctrl imagemagick
pulseaudio pulseaudio-utils espeak-ng sox util-linux python3
dpkg-dev file lintian appstream desktop-file-utils"

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing from Debian:$missing"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "These packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
