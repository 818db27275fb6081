#!/bin/sh
# The first command's session after the sessions' JACK server was killed
# (SIGKILL) under its clients: the user's Zelto 2 and the "Zelto Sim 1" of a
# session. JACK then leaves the server's socket and each client's wake-up
# word, named after the client, in /dev/shm, where the sessions read the
# names of the clients on their server. None of those clients runs any more:
# the session starts a server of its own, takes no Zelto 2 for attached,
# names its synth "Zelto Sim 1" and reaches it with the device enquiry.
#   KilledServerSessionTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"
# JACK's names in /dev/shm, by the sessions' own rule.
. "$1/scripts/lib/midi-services.sh"

build=$2
export JACK_NO_START_SERVER=1
# The test starts the server the session takes for the sessions' one: by name.
export ZELTO2X_SESSION_SERVER="${ZELTO2X_SESSION_SERVER:-zelto2x-sessions-killed-$$}"
server="$ZELTO2X_SESSION_SERVER"
# Where join_session_server notes the server a session started.
sessions="$TMPDIR/zelto2x-sessions-$(id -u)"
mkdir -p "$sessions" "$work/killed"
enquiry='F0 3E 16 00 04 F7'

mine=""
trap 'for pid in $mine; do stop_process "$pid"; done; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

JACK_NO_AUDIO_RESERVATION=1 jackd -n "$server" -r -S -d dummy -p 128 </dev/null >"$work/killed/jackd.log" 2>&1 &
server_pid=$!
mine=$server_pid
echo "$server_pid" >"$sessions/jackd.pid"
JACK_DEFAULT_SERVER="$server" jack_wait -w -t 10 >/dev/null 2>&1 || fail "the JACK server to kill did not start"
for synth in "Zelto 2" "Zelto Sim 1"; do
  mkdir -p "$work/$synth"
  JACK_DEFAULT_SERVER="$server" ZELTO2X_MIDI_API=jack "$build/tools/zelto2-sim" --no-stdin --name "$synth" \
    </dev/null >"$work/$synth/zelto2-sim.log" 2>&1 &
  mine="$! $mine"
  synth_ready "$work/$synth/zelto2-sim.log" "the synth $synth"
done
kill -9 "$server_pid"
for pid in $mine; do stop_process "$pid"; done
mine=""
[ -e "$(jack_shm_name words "$server")Zelto 2 In" ] || fail "the killed server left no word of the user's Zelto 2"

headless_session "$1" "$2" next "$(heard next "$enquiry")" ||
  fail "the session after the killed server failed: $(cat "$work/next.txt")"
cat "$work/next.txt"
grep -qxF "MIDI goes through JACK and no JACK server runs: starting one for the editor sessions (jackd -d dummy, named $server)." \
  "$work/next.txt" || fail "the session started no JACK server of its own"
! grep -q '^A Zelto 2 is attached' "$work/next.txt" || fail "the session took the killed server's Zelto 2 for attached"
grep -qxF "No Zelto 2 attached: the editor talks to a simulated one (Zelto Sim 1)." "$work/next.txt" ||
  fail "the session did not name its synth Zelto Sim 1"
grep -qxF "$enquiry" "$work/next/wire.log" || fail "the session's synth never got the device enquiry"
echo "PASS"
