#!/bin/sh
# The first command's session (scripts/editor-session.sh) without a display:
# it starts a JACK server of its own and the simulated Zelto 2, the editor's
# ports are chosen so the synth gets the device enquiry, the panel is written
# as a picture, and nothing the session started outlives it.
#   FirstRunSessionTest.sh SOURCE_DIR BUILD_DIR
set -eu
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
server="zelto2x-first-run-$$"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Takes one of the slots the other JACK tests' private servers share
# (tests/support/JackServer.cpp), so JACK's registry never fills.
until for slot in 0 1 2 3 4; do
  exec 9<>"/tmp/zelto2x-jack-slot-$slot.lock" && flock -n 9 && break
  exec 9>&-
  false
done; do sleep 0.05; done

env -u DISPLAY -u WAYLAND_DISPLAY -u JACK_NO_START_SERVER JACK_DEFAULT_SERVER="$server" ZELTO2X_MIDI_API=jack \
  ZELTO2X_DATA_FOLDER="$work/data" ZELTO2X_SESSION_DIR="$work/session" ZELTO2X_SCREENSHOT="$work/panel.png" \
  sh "$1/scripts/editor-session.sh" "$2" >"$work/said.txt" 2>&1 || status=$?
cat "$work/said.txt"
[ "${status:-0}" -eq 0 ] || fail "the session ended with status $status"

grep -q '^MIDI goes through JACK and no JACK server runs: starting one' "$work/said.txt" || fail "no JACK server started"
grep -q '^No display can be opened: writing a picture' "$work/said.txt" || fail "no word about the display"
[ "$(od -An -tx1 -N8 "$work/panel.png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "no PNG picture of the panel"
# The global request to device 0 is the enquiry that choosing the output starts.
grep -qx 'F0 3E 16 00 04 F7' "$work/session/wire.log" || fail "the synth never got the device enquiry"
grep -q '^zelto2-sim: stopped' "$work/session/zelto2-sim.log" || fail "the simulated synth was not stopped"
[ "$(JACK_DEFAULT_SERVER="$server" jack_wait -c 2>/dev/null)" = "not running" ] || fail "the JACK server still runs"
echo "PASS"
