#!/bin/sh
# Installs what is needed (Debian 12), builds everything and runs every test.
set -eu
cd "$(dirname "$0")/.."
[ "${SKIP_SETUP:-0}" = 1 ] || scripts/setup-debian.sh
cmake -S . -B build -G Ninja
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
