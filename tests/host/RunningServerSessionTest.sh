#!/bin/sh
# The first command's session finding the sessions' JACK server running with
# synths on it that are not its own. Started by the user by hand (no session
# noted it), with the user's simulated Zelto 2: the session joins it, takes
# that synth for the attached one and starts none, reaches it once the user
# chose its ports, and leaves the server running; also with
# JACK_PROMISCUOUS_SERVER set. Left by a session that died, with that
# session's "Zelto Sim 1": the session joins it, names its own synth "Zelto
# Sim 2" and talks to that, and stops the server as the last session out.
#   RunningServerSessionTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"

build=$2
export JACK_NO_START_SERVER=1
# The sessions' server under a name of this test's own: the editor tells its
# server by the socket's path, and /proc/net/unix also lists the sockets of
# the session tests running beside in a /dev/shm of their own, whose servers
# have the usual name and come and go meanwhile.
export ZELTO2X_SESSION_SERVER="${ZELTO2X_SESSION_SERVER:-zelto2x-sessions-running-$$}"
server="$ZELTO2X_SESSION_SERVER"
# Where join_session_server notes what a session started.
sessions="$TMPDIR/zelto2x-sessions-$(id -u)"
mkdir -p "$sessions"
enquiry='F0 3E 16 00 04 F7'

# Runs COMMAND in the background, its output in $work/DIR/LOG; with $orphaned
# set apart from this script, as what a session that died leaves has lost its
# parent (a session waits for the server it stops to be gone, which a child
# of this script never is before the script reaps it).
mine=""
start() { # DIR LOG COMMAND...
  mkdir -p "$work/$1"
  log="$work/$1/$2"
  shift 2
  if [ -n "${orphaned:-}" ]; then
    pid="$(sh -c '"$@" </dev/null >"$0" 2>&1 & echo $!' "$log" "$@")"
  else
    "$@" </dev/null >"$log" 2>&1 &
    pid=$!
  fi
  mine="$pid $mine"
}
# Ends what the test started, the latest (the synths) first.
stop_mine() {
  for pid in $mine; do stop_process "$pid"; done
  mine=""
}
trap 'stop_mine; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

start_server() { # DIR
  start "$1" jackd.log env JACK_NO_AUDIO_RESERVATION=1 jackd -n "$server" -r -S -d dummy -p 128
  server_pid=$pid
  JACK_DEFAULT_SERVER="$server" jack_wait -w -t 10 >/dev/null 2>&1 || fail "the $1 JACK server did not start"
}
start_synth() { # DIR [OPTION...]
  dir=$1
  shift
  start "$dir" zelto2-sim.log env JACK_DEFAULT_SERVER="$server" ZELTO2X_MIDI_API=jack \
    "$build/tools/zelto2-sim" --no-stdin --log "$work/$dir/wire.log" "$@"
  synth_ready "$work/$dir/zelto2-sim.log" "the $dir synth"
}
joined() { # NAME
  grep -qxF "MIDI goes through the JACK server of the editor sessions already running ($server)." "$work/$1.txt"
}

# The user's server with the user's Zelto 2 (the simulated one under its own
# name), whose ports the user chooses in the session.
on_users_server() { # SOURCE_DIR BUILD_DIR NAME
  # Three sessions one after the other take over half of 35 s on a busy machine.
  new_deadline
  start_server "$3-user"
  start_synth "$3-user"
  headless_session "$1" "$2" "$3" "printf 'set 274 Zelto 2 Out:MIDI Out\nset 273 Zelto 2 In:MIDI In\n'
    $(heard "$3-user" "$enquiry")" || fail "the session on the user's server failed: $(cat "$work/$3.txt")"
  cat "$work/$3.txt"
  joined "$3" || fail "the session did not join the user's server"
  grep -q '^A Zelto 2 is attached: ' "$work/$3.txt" || fail "the user's Zelto 2 was not seen"
  [ ! -e "$work/$3/zelto2-sim.log" ] || fail "a simulated synth was started beside the user's Zelto 2"
  grep -qxF "$enquiry" "$work/$3-user/wire.log" || fail "the user's Zelto 2 never got the device enquiry"
  is_png "$work/$3.png" || fail "the session on the user's server wrote no picture"
  [ "$(JACK_DEFAULT_SERVER="$server" jack_wait -c 2>/dev/null)" = running ] || fail "the session stopped the user's server"
  stop_mine
}
on_users_server "$1" "$2" beside
# Also on a server shared between users (see FirstRunSessionTest.sh), whose
# clients' names lack the user ID.
export JACK_PROMISCUOUS_SERVER=''
on_users_server "$1" "$2" shared
unset JACK_PROMISCUOUS_SERVER

# What a session that died leaves: the server it noted, its synth, and the
# note of its number naming a process gone.
orphaned=yes
new_deadline
start_server dead
echo "$server_pid" >"$sessions/jackd.pid"
start_synth dead --name "Zelto Sim 1"
sh -c 'echo $$' >"$sessions/session-1.pid"
headless_session "$1" "$2" next "$(heard next "$enquiry")" ||
  fail "the session on the server left running failed: $(cat "$work/next.txt")"
cat "$work/next.txt"
joined next || fail "the session did not join the server left running"
grep -qxF "No Zelto 2 attached: the editor talks to a simulated one (Zelto Sim 2)." "$work/next.txt" ||
  fail "the session did not name its synth past the one left running"
grep -qxF "$enquiry" "$work/next/wire.log" || fail "the session's synth never got the device enquiry"
! grep -qs . "$work/dead/wire.log" || fail "the session talked to the synth left running"
! kill -0 "$server_pid" 2>/dev/null || fail "the server left running outlived the session"
echo "PASS"
