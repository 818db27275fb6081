#!/bin/sh
# Configures and builds one tree: scripts/build.sh DIR [cmake options...]
set -eu
dir="$1"; shift
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
