#!/bin/sh
# First command of the README: install what is missing, build, start Cadenza.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
exec ./build/cadenza
