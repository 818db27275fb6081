#!/bin/sh
# Configures and builds one tree: [TARGETS="a b"] scripts/build.sh DIR [cmake options...]
# Without TARGETS it builds everything.
set -eu
dir="$1"; shift
mkdir -p "$dir"
# Two first commands at once share the tree: one builds, the other waits for it.
exec 8>"$dir/.build-lock"
flock 8
cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@" >/dev/null
target_args=""
for t in ${TARGETS:-}; do
  target_args="$target_args --target $t"
done
# shellcheck disable=SC2086
cmake --build "$dir" -j "$(nproc)" $target_args
