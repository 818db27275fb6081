#!/bin/sh
# The first command's session (scripts/editor-session.sh) without a display:
# it starts a JACK server and the simulated Zelto 2, the editor's ports are
# chosen so the synth gets the device enquiry, the panel is written as a
# picture and said where, the data folder gets its settings file and the
# user manual, and nothing the session started outlives it; it
# leaves /dev/shm as it found it, but for what a JACK server of the user's own
# uses; all this also with JACK_PROMISCUOUS_SERVER set. The synth holds the
# user's bank that ZELTO2X_SIM_SYX names.
#   FirstRunSessionTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"

# One edit-buffer dump (F0 3E 16 00 10 7F 00, 128 data bytes, checksum, F7) in
# a folder whose name has a blank.
mkdir -p "$work/my banks"
{ printf '\360\076\026\000\020\177\000'; head -c 129 /dev/zero; printf '\367'; } >"$work/my banks/one.syx"
status=0
ZELTO2X_SIM_SYX="$work/my banks/one.syx" headless_session "$1" "$2" first "$(heard first 'F0 3E 16 00 04 F7')" ||
  status=$?
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
# The data folder as the first command leaves it: the settings file with the
# first-run notice on, and the user manual of the build.
[ "$(cat "$work/data/Zelto2X Editor UI.txt" 2>/dev/null)" = "$(printf 'normal\nnormal\nno\n')" ] ||
  fail "the session left no settings file in the data folder"
cmp -s "$2/Marnvik-Zelto2X-User-Manual-v101.pdf" "$work/data/Marnvik-Zelto2X-User-Manual-v101.pdf" ||
  fail "the session left no user manual in the data folder"

# JACK_PROMISCUOUS_SERVER, the setting for a server shared between users,
# leaves the user ID out of the names of the server's socket and semaphores;
# JACK asks only whether it is set, so empty (which needs no group) counts.
# The server gets a name of its own: the editor finds its server's socket by
# name among those of every /dev/shm, and by the usual naming only, so a
# session test running beside, on a server of the usual name, would pass for
# its server.
JACK_PROMISCUOUS_SERVER='' ZELTO2X_SESSION_SERVER="zelto2x-shared-$$" \
  headless_session "$1" "$2" shared "$(heard shared 'F0 3E 16 00 04 F7')" ||
  fail "the session with JACK_PROMISCUOUS_SERVER set failed: $(cat "$work/shared.txt")"
grep -qx 'F0 3E 16 00 04 F7' "$work/shared/wire.log" || fail "JACK_PROMISCUOUS_SERVER set, the synth never got the device enquiry"
is_png "$work/shared.png" || fail "JACK_PROMISCUOUS_SERVER set, no PNG picture of the panel"
JACK_PROMISCUOUS_SERVER='' server_gone "$(session_server shared)" ||
  fail "JACK_PROMISCUOUS_SERVER set, the JACK server still runs or left files in /dev/shm"

# A JACK server of the user's own, started while a session runs, keeps what
# it uses there when the session ends.
user_server="zelto2x-user-$$"
trap 'stop_process "$(cat "$work/user-jackd.pid" 2>/dev/null)"; rm -rf "$work"' EXIT
headless_session "$1" "$2" second "JACK_NO_AUDIO_RESERVATION=1 jackd -r -n '$user_server' -d dummy -p 128 >/dev/null 2>&1 &
  echo \$! >'$work/user-jackd.pid'; JACK_DEFAULT_SERVER='$user_server' jack_wait -w -t 10 >/dev/null 2>&1" ||
  fail "the session beside the user's server failed: $(cat "$work/second.txt")"
[ -e /dev/shm/jack-shm-registry ] && JACK_DEFAULT_SERVER="$user_server" jack_lsp >/dev/null 2>&1 ||
  fail "the session took the registry of the user's JACK server"
echo "PASS"
