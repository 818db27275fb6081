#!/bin/sh
# The first command's session (scripts/editor-session.sh) without a display:
# it starts a JACK server and the simulated Zelto 2, the editor's ports are
# chosen so the synth gets the device enquiry, the panel is written as a
# picture and said where, and nothing the session started outlives it, in
# /dev/shm neither. The synth holds the user's bank that ZELTO2X_SIM_SYX names.
#   FirstRunSessionTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"

# One edit-buffer dump (F0 3E 16 00 10 7F 00, 128 data bytes, checksum, F7) in
# a folder whose name has a blank.
mkdir -p "$work/my banks"
{ printf '\360\076\026\000\020\177\000'; head -c 129 /dev/zero; printf '\367'; } >"$work/my banks/one.syx"
status=0
ZELTO2X_SIM_SYX="$work/my banks/one.syx" headless_session "$1" "$2" first || status=$?
cat "$work/first.txt"
[ "$status" -eq 0 ] || fail "the session ended with status $status"

grep -q '^MIDI goes through JACK and no JACK server runs: starting one' "$work/first.txt" || fail "no JACK server started"
grep -q '^No display can be opened: writing a picture' "$work/first.txt" || fail "no word about the display"
grep -qxF "Wrote the picture: $work/first.png" "$work/first.txt" || fail "not said where the picture is"
is_png "$work/first.png" || fail "no PNG picture of the panel"
# The global request to device 0 is the enquiry that choosing the output starts.
grep -qx 'F0 3E 16 00 04 F7' "$work/first/wire.log" || fail "the synth never got the device enquiry"
grep -qxF "Its memory holds the sounds of $work/my banks/one.syx." "$work/first.txt" || fail "the bank was not told"
grep -qF "zelto2-sim: loaded 1 sounds from $work/my banks/one.syx" "$work/first/zelto2-sim.log" || fail "the synth did not load the bank"
grep -q '^zelto2-sim: stopped' "$work/first/zelto2-sim.log" || fail "the simulated synth was not stopped"
server_gone "$(session_server first)" || fail "the JACK server still runs or left files in /dev/shm"
echo "PASS"
