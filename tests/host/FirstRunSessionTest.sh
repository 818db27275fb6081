#!/bin/sh
# The first command's session (scripts/editor-session.sh) without a display:
# it starts a JACK server and the simulated Zelto 2, the editor's ports are
# chosen so the synth gets the device enquiry, the panel is written as a
# picture and said where, and nothing the session started outlives it, in
# /dev/shm neither.
#   FirstRunSessionTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"

status=0
headless_session "$1" "$2" first || status=$?
cat "$work/first.txt"
[ "$status" -eq 0 ] || fail "the session ended with status $status"

grep -q '^MIDI goes through JACK and no JACK server runs: starting one' "$work/first.txt" || fail "no JACK server started"
grep -q '^No display can be opened: writing a picture' "$work/first.txt" || fail "no word about the display"
grep -qxF "Wrote the picture: $work/first.png" "$work/first.txt" || fail "not said where the picture is"
is_png "$work/first.png" || fail "no PNG picture of the panel"
# The global request to device 0 is the enquiry that choosing the output starts.
grep -qx 'F0 3E 16 00 04 F7' "$work/first/wire.log" || fail "the synth never got the device enquiry"
grep -q '^zelto2-sim: stopped' "$work/first/zelto2-sim.log" || fail "the simulated synth was not stopped"
server_gone "$(session_server first)" || fail "the JACK server still runs or left files in /dev/shm"
echo "PASS"
