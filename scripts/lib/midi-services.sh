# Sourced by POSIX sh scripts: the MIDI services an editor session needs (a
# JACK server, the simulated Zelto 2). Each start_ function notes the process
# it started, so stop_started ends exactly those and nothing the user runs.

started_pids=""

# The MIDI system the editor and the simulated synth both choose: ALSA when
# its sequencer can be opened, else JACK; ZELTO2X_MIDI_API overrides.
midi_api() {
  case "${ZELTO2X_MIDI_API:-}" in
    alsa | jack) echo "$ZELTO2X_MIDI_API" ;;
    *) if [ -r /dev/snd/seq ] && [ -w /dev/snd/seq ]; then echo alsa; else echo jack; fi ;;
  esac
}

jack_running() {
  [ "$(JACK_NO_START_SERVER=1 jack_wait -c 2>/dev/null)" = running ]
}

# Runs COMMAND every tenth of a second until it succeeds; false after
# SECONDS or once process PID has ended.
poll() { # SECONDS PID COMMAND...
  tenths=$(($1 * 10))
  pid=$2
  shift 2
  until "$@"; do
    [ "$tenths" -gt 0 ] && kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
    tenths=$((tenths - 1))
  done
}

# A JACK server on the dummy driver (no sound card needed), named by
# JACK_DEFAULT_SERVER when set. Short cycles keep MIDI quick.
start_jack_server() { # LOGDIR
  JACK_NO_AUDIO_RESERVATION=1 jackd -r -d dummy -p 128 >"$1/jackd.log" 2>&1 &
  started_pids="$! $started_pids"
  if ! poll 10 "$!" jack_running; then
    echo "The JACK server did not start:" >&2
    cat "$1/jackd.log" >&2
    return 1
  fi
}

# True when a MIDI port already carries a Zelto 2's name: the synth itself or
# a simulated one that someone else started.
zelto2_attached() { # API
  case "$1" in
    alsa) grep -q '"Zelto 2' /proc/asound/seq/clients 2>/dev/null ;;
    jack) jack_lsp 2>/dev/null | grep -q 'Zelto 2' ;;
  esac
}

# tools/zelto2-sim of build tree BUILD; returns once its ports exist. It
# writes what it receives, one message a line in hex, to LOGDIR/wire.log.
start_simulated_synth() { # BUILD LOGDIR
  "$1/tools/zelto2-sim" --no-stdin --log "$2/wire.log" >"$2/zelto2-sim.log" 2>&1 &
  started_pids="$! $started_pids"
  sim_pid=$!
  if ! poll 10 "$sim_pid" grep -q '^zelto2-sim: ready' "$2/zelto2-sim.log"; then
    echo "The simulated Zelto 2 did not start:" >&2
    cat "$2/zelto2-sim.log" >&2
    return 1
  fi
}

# The name the editor lists for port PORT of the MIDI client CLIENT. RtMidi
# adds the client and port numbers on ALSA; the simulated synth's clients
# have one port each, number 0.
port_entry() { # API CLIENT PORT
  if [ "$1" = alsa ]; then
    number=$(sed -n "s/^Client *\([0-9]*\) : \"$2\".*/\1/p" /proc/asound/seq/clients | head -n 1)
    echo "$2:$3 $number:0"
  else
    echo "$2:$3"
  fi
}

# Ends what the start_ functions started, the latest first (the synth before
# the server it is a client of).
stop_started() {
  for pid in $started_pids; do
    kill "$pid" 2>/dev/null || continue
    wait "$pid" 2>/dev/null || true
  done
  started_pids=""
}
