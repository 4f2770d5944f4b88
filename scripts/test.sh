#!/bin/sh
# Second command of the README: install what is missing, build, and run the
# whole test suite (unit, GUI and end-to-end tests) with CTest.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
sh scripts/build.sh
cd build
ctest --output-on-failure -j2 "$@"
