#!/bin/sh
# Installs of the data folder run at once, as sessions started together run
# them: every install succeeds and leaves the settings file and the manual
# whole, with nothing of its own beside them.
#   InstallDataTest.sh SOURCE_DIR BUILD_DIR
set -u
src="$1"
build="$(mktemp -d)"
work="$(mktemp -d)"
trap 'rm -rf "$build" "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A manual large enough that copies overlap.
head -c 4000000 /dev/urandom >"$build/Marnvik-Zelto2X-User-Manual-v101.pdf"
round=0
while [ "$round" -lt 15 ]; do
  data="$work/data$round"
  pids=""
  for n in 1 2 3 4 5 6; do
    ZELTO2X_DATA_FOLDER="$data" sh "$src/scripts/install-data.sh" "$build" >"$work/out$n" 2>&1 &
    pids="$pids $!"
  done
  for pid in $pids; do
    wait "$pid" || fail "an install run at once with others failed: $(cat "$work"/out*)"
  done
  [ "$(cat "$data/Zelto2X Editor UI.txt")" = "$(printf 'normal\nnormal\nno\n')" ] || fail "settings file not whole"
  cmp -s "$build/Marnvik-Zelto2X-User-Manual-v101.pdf" "$data/Marnvik-Zelto2X-User-Manual-v101.pdf" ||
    fail "manual not whole"
  [ "$(ls -A "$data" | wc -l)" -eq 3 ] || fail "the installs left more than their files: $(ls -A "$data")"
  round=$((round + 1))
done
echo "PASS"
