# Sourced by the editor-session tests (with their own $0 and arguments).
# JACK keeps every server's socket and semaphores in /dev/shm and names a
# client's socket by the client's name alone, so a session under test must not
# meet those of other tests or of the user: where the system allows, the test
# runs again with a /dev/shm of its own; elsewhere its sessions get a JACK
# server name of their own and take turns with the other JACK tests. Gives
# $work (removed at the end), fail and the helpers below.
set -eu
if [ -z "${ZELTO2X_TEST_OWN_SHM:-}" ]; then
  for how in "" --map-current-user; do
    # shellcheck disable=SC2086
    if unshare $how --mount --propagation private sh -c 'mount -t tmpfs tmpfs /dev/shm' 2>/dev/null; then
      exec unshare $how --mount --propagation private sh -c \
        'mount -t tmpfs -o mode=1777 tmpfs /dev/shm && ZELTO2X_TEST_OWN_SHM=1 exec sh "$@"' sh "$0" "$@"
    fi
  done
  export ZELTO2X_SESSION_SERVER="zelto2x-sessions-test-$$"
  # Takes turns with the other JACK tests that share /dev/shm (tests/support/JackServer.cpp).
  (umask 0 && : >>/tmp/zelto2x-jack-tests.lock) 2>/dev/null || true
  exec 9</tmp/zelto2x-jack-tests.lock
  flock 9
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Every wait gives up 35 s after the start (in seconds, however slowly a busy
# machine turns a loop), or at once when another has given up or a session
# failed: the sessions' own waits and their closing then still end the test
# within a minute. A test of several scenarios gives each its own 35 s.
new_deadline() {
  deadline=$(($(date +%s) + 35))
}
new_deadline
given_up="$work/given-up"
# The sessions' shared-server bookkeeping stays inside the test.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# A failure shows what each session's programs said, as the work folder goes.
fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*/host.log "$work"/*/editor.log "$work"/*/zelto2-sim.log "$work"/*/wire.log "$work"/*/jackd.log; do
    [ -f "$log" ] || continue
    echo "--- ${log#"$work"/} (last 40 lines)" >&2
    tail -n 40 "$log" >&2
  done
  exit 1
}

# One editor session without a display, named NAME, on JACK, finding no JACK
# server running (the user's, if any, is never reached); COMMANDS as in
# ZELTO2X_SESSION_COMMANDS. What it says goes to $work/NAME.txt. A session
# that fails ends the other's waits.
headless_session() { # SOURCE_DIR BUILD_DIR NAME [COMMANDS]
  env -u DISPLAY -u WAYLAND_DISPLAY -u JACK_NO_START_SERVER JACK_DEFAULT_SERVER="zelto2x-none-$$" \
    ZELTO2X_MIDI_API=jack ZELTO2X_DATA_FOLDER="$work/data" ZELTO2X_SESSION_DIR="$work/$3" \
    ZELTO2X_SCREENSHOT="$work/$3.png" ZELTO2X_SESSION_COMMANDS="${4:-}" \
    sh "$1/scripts/editor-session.sh" "$2" >"$work/$3.txt" 2>&1 || {
    status=$?
    : >"$given_up"
    return "$status"
  }
}

# The JACK server a session said it started or joined.
session_server() { # NAME
  sed -n 's/.*(jackd -d dummy, named \(.*\))\.$/\1/p; s/.*editor sessions already running (\(.*\))\.$/\1/p' "$work/$1.txt"
}

# A shell command that waits until the shell condition COND holds, or gives
# up (see deadline) and says so to the other waits.
waits_until() { # COND
  echo "until $1; do if [ -e '$given_up' ] || [ \$(date +%s) -ge $deadline ]; then : >'$given_up'; break; fi; sleep 0.1; done"
}

# A shell command for ZELTO2X_SESSION_COMMANDS that prints nothing and waits
# until the wire log of session NAME holds the line LINE: the session itself
# waits for its synth's enquiry 10 s at most, which a loaded machine may take.
heard() { # NAME LINE
  waits_until "grep -qxF '$2' '$work/$1/wire.log' 2>/dev/null"
}

# Ends process PID: SIGTERM, then up to 10 s until it is gone (or, a child
# of this script, a zombie to reap), then SIGKILL.
stop_process() { # PID
  kill "$1" 2>/dev/null || return 0
  i=0
  while kill -0 "$1" 2>/dev/null && [ "$(cut -d ' ' -f 3 "/proc/$1/stat" 2>/dev/null)" != Z ] && [ $i -lt 100 ]; do
    sleep 0.1 && i=$((i + 1))
  done
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Waits until the simulated synth that logs to LOG is ready; fails the test,
# naming it WHAT, at the deadline.
synth_ready() { # LOG WHAT
  until grep -qs '^zelto2-sim: ready' "$1"; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "$2 did not start"
    sleep 0.1
  done
}

is_png() { # FILE
  [ "$(od -An -tx1 -N8 "$1" 2>/dev/null | tr -d ' \n')" = 89504e470d0a1a0a ]
}

# Nothing of the server or its clients runs, and /dev/shm is as the session
# found it: empty where the test has one of its own (as on a machine where no
# JACK server ran before), else without the server's files.
server_gone() { # SERVER
  if [ -n "${ZELTO2X_TEST_OWN_SHM:-}" ]; then
    left="$(ls -A /dev/shm)"
  else
    left="$(ls /dev/shm | grep -F "$1")" || true
  fi
  [ -z "$left" ] || { echo "left in /dev/shm: $left" >&2 && return 1; }
  # After looking: a JACK client makes this user's metadata folder there,
  # which a /dev/shm of the test's own loses again for the next session.
  [ "$(JACK_DEFAULT_SERVER="$1" jack_wait -c 2>/dev/null)" = "not running" ] || return 1
  [ -z "${ZELTO2X_TEST_OWN_SHM:-}" ] || rm -rf /dev/shm/jack_db-*
}
