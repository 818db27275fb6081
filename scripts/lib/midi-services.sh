# Sourced by POSIX sh scripts: the MIDI services an editor session needs (a
# JACK server, the simulated Zelto 2). Each start_ function notes the process
# it started, so stop_started ends exactly those and nothing the user runs.
# Sessions that run at once share one JACK server: the last one to leave
# stops it (join_session_server, leave_session_server).
#
# On the sessions' server these scripts open no JACK client of their own
# (jack_wait, jack_lsp): libjack keeps one wake-up word per client number for
# the whole process, and when a client closes just before a program opens its
# second client (the simulated synth, the editor) and takes over its number,
# the new client may wait on the closed one's word and never run a cycle. Its
# MIDI is lost, and a server in synchronous mode waits for it at every cycle.

started_pids=""
session_server_dir=""
share_pid=""

# JACK's files in /dev/shm that outlive a server: the registry every server of
# the machine shares, and this user's metadata folder, which every JACK
# client makes when missing, even one that finds no server.
jack_shared_files="jack-shm-registry jack_db-$(id -u)"
# Those /dev/shm lacked before this script ran a JACK client: when this
# session starts the sessions' server, the last session out removes them.
jack_files_missing="$(for name in $jack_shared_files; do [ -e "/dev/shm/$name" ] || echo "$name"; done)"

# The MIDI system the editor and the simulated synth both choose: ALSA when
# its sequencer can be opened, else JACK; ZELTO2X_MIDI_API overrides.
midi_api() {
  case "${ZELTO2X_MIDI_API:-}" in
    alsa | jack) echo "$ZELTO2X_MIDI_API" ;;
    *) if [ -r /dev/snd/seq ] && [ -w /dev/snd/seq ]; then echo alsa; else echo jack; fi ;;
  esac
}

# Whether the server JACK_DEFAULT_SERVER names (default: "default") runs.
jack_running() {
  [ "$(JACK_NO_START_SERVER=1 jack_wait -c 2>/dev/null)" = running ]
}

# JACK's name in /dev/shm for server SERVER's listening socket, or the start
# of its clients' wake-up words (each client's name completes one). Set at
# all, even empty, JACK_PROMISCUOUS_SERVER (a server shared between users)
# leaves the user ID out of both; server and clients see each other only
# when both have it.
jack_shm_name() { # socket|words SERVER
  uid="$(id -u)_"
  if [ -n "${JACK_PROMISCUOUS_SERVER+set}" ]; then uid=""; fi
  case "$1" in
    socket) echo "/dev/shm/jack_$2_${uid}0" ;;
    words) echo "/dev/shm/jack_sem.$uid$2_" ;;
  esac
}

# Whether the sessions' server that a session started runs and takes clients:
# its jackd listens on the server's socket (/proc/net/unix lists the sockets
# of every /dev/shm, so the process tells which one is this server's).
session_server_running() {
  server_pid="$(cat "$session_server_dir/jackd.pid" 2>/dev/null)" && [ -n "$server_pid" ] || return 1
  for fd in "/proc/$server_pid/fd/"*; do readlink "$fd"; done 2>/dev/null | sed -n 's/^socket:\[\([0-9]*\)\]$/\1/p' |
    awk -v path="$(jack_shm_name socket "$JACK_DEFAULT_SERVER")" '
      FNR == NR { held[$1] = 1; next }
      # Flags 00010000: listening. The path, blanks and all, follows the inode.
      $4 == "00010000" && ($7 in held) && substr($0, index($0, " " $7 " ") + length($7) + 2) == path { found = 1 }
      END { exit !found }' - /proc/net/unix
}

# The names of the JACK clients, one a line. On the sessions' server they are
# read without a client of our own (see the top): the server keeps a wake-up
# word for each in /dev/shm, named after it. Elsewhere jack_lsp lists them
# with their ports.
jack_client_names() {
  if [ -n "$session_server_dir" ]; then
    prefix="$(jack_shm_name words "$JACK_DEFAULT_SERVER")"
    for word in "$prefix"*; do
      if [ -e "$word" ]; then echo "${word#"$prefix"}"; fi
    done
  else
    jack_lsp 2>/dev/null | sed 's/:[^:]*$//' | sort -u
  fi
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

# What a JACK server of that name and its clients leave in /dev/shm (its
# socket, their semaphores); only for a server that no longer runs.
remove_jack_leftovers() { # SERVER
  rm -f "$(jack_shm_name socket "$1")" "$(jack_shm_name words "$1")"*
}

# Whether a process maps a file of /dev/shm/NAME (the file, or one in the
# folder) of this /dev/shm: a server or client still using it. Another user's
# JACK server, whose maps cannot be read, counts as using all of them.
jack_file_in_use() { # NAME
  if ps -e -o uid=,comm= | awk -v me="$(id -u)" '$1 != me && ($2 == "jackd" || $2 == "jackdbus") { found = 1 } END { exit !found }'; then
    return 0
  fi
  dev=$(stat -c %d /dev/shm) || return 0
  # As /proc/PID/maps shows a device: major:minor in hex.
  dev=$(printf '%02x:%02x' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00))))
  cat /proc/[0-9]*/maps 2>/dev/null | awk -v dev="$dev" -v file="/dev/shm/$1" \
    '$4 == dev && ($6 == file || index($6, file "/") == 1) { found = 1 } END { exit !found }'
}

# Removes those of JACK's shared files that LIST names and no process uses.
remove_jack_shared_files() { # LIST
  for name in $jack_shared_files; do
    if grep -qxF "$name" "$1" 2>/dev/null && ! jack_file_in_use "$name"; then
      rm -rf "/dev/shm/$name"
    fi
  done
  rm -f "$1"
}

# Points this script and what it starts at the JACK server that the editor
# sessions of this user share ("zelto2x-sessions-UID", or the name in
# $ZELTO2X_SESSION_SERVER; on the dummy driver: no sound card needed),
# starting it when none runs. The server runs in a
# session of its own, so a Ctrl-C meant for one editor session leaves it to
# the others. Until leave_session_server this session holds a share of it: a
# shared lock, held by a small process of its own rather than on a file
# descriptor of this script, which every program the session starts (and any
# daemon they leave behind) would inherit and hold on to.
join_session_server() { # LOGDIR
  session_server_dir="${TMPDIR:-/tmp}/zelto2x-sessions-$(id -u)"
  mkdir -p "$session_server_dir"
  export JACK_DEFAULT_SERVER="${ZELTO2X_SESSION_SERVER:-zelto2x-sessions-$(id -u)}"
  # One session at a time starts, joins or stops the server.
  exec 6>"$session_server_dir/start.lock"
  flock 6
  # jack_running opens a client only where a server of that name runs that no
  # session here started.
  if session_server_running || jack_running; then
    echo "MIDI goes through the JACK server of the editor sessions already running ($JACK_DEFAULT_SERVER)."
  else
    echo "MIDI goes through JACK and no JACK server runs: starting one for the editor sessions (jackd -d dummy, named $JACK_DEFAULT_SERVER)."
    remove_jack_leftovers "$JACK_DEFAULT_SERVER"
    for name in $jack_files_missing; do echo "$name"; done >"$session_server_dir/jack-files-missing"
    # -S: on a busy machine the server waits for a late client rather than
    # drop the MIDI it carries (a device enquiry lost that way reads as a
    # synth that does not answer); under load its cycles stretch to what the
    # slowest client takes, tens of milliseconds. This holds while every
    # client runs: for one that never does it waits 10 times the client
    # time-out (0.5 s) at every cycle, hence no client of ours (see the top).
    # 128 frames (2.7 ms) keep the MIDI clock's ticks at most that far off.
    JACK_NO_AUDIO_RESERVATION=1 setsid jackd -r -S -d dummy -p 128 </dev/null >"$1/jackd.log" 2>&1 6>&- &
    echo "$!" >"$session_server_dir/jackd.pid"
    if ! poll 10 "$!" session_server_running; then
      echo "The JACK server did not start:" >&2
      cat "$1/jackd.log" >&2
      exec 6>&-
      return 1
    fi
  fi
  held="$session_server_dir/share.$$"
  rm -f "$held"
  # flock itself holds it (-o: not the loop it runs), so ending flock ends
  # the share; the loop ends with flock or with this session.
  flock -s -o "$session_server_dir/users.lock" \
    sh -c ': >"$1"; while kill -0 "$2" && kill -0 "$PPID"; do sleep 1; done 2>/dev/null' \
    sh "$held" "$$" </dev/null >/dev/null 2>&1 6>&- &
  share_pid=$!
  poll 10 "$share_pid" test -e "$held" || true
  rm -f "$held"
  exec 6>&-
}

# Gives up this session's share of the sessions' server and stops it when no
# other session holds one.
leave_session_server() {
  [ -n "$session_server_dir" ] || return 0
  kill "$share_pid" 2>/dev/null || true
  wait "$share_pid" 2>/dev/null || true
  exec 6>"$session_server_dir/start.lock"
  flock 6
  if flock -n -x "$session_server_dir/users.lock" true; then
    pid="$(cat "$session_server_dir/jackd.pid" 2>/dev/null || true)"
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
      # Reaped here when this script started it; else watched until it is gone.
      wait "$pid" 2>/dev/null || true
      tenths=100
      while kill -0 "$pid" 2>/dev/null && [ "$tenths" -gt 0 ]; do
        sleep 0.1
        tenths=$((tenths - 1))
      done
    fi
    if ! jack_running; then
      remove_jack_leftovers "$JACK_DEFAULT_SERVER"
      remove_jack_shared_files "$session_server_dir/jack-files-missing"
    fi
    rm -f "$session_server_dir/jackd.pid"
  fi
  exec 6>&-
  session_server_dir=""
}

# True when a MIDI client of that name exists.
midi_client_exists() { # API NAME
  case "$1" in
    alsa) grep -qF ": \"$2\"" /proc/asound/seq/clients 2>/dev/null ;;
    jack) jack_client_names | grep -qxF "$2" ;;
  esac
}

# True when a MIDI client already carries a Zelto 2's name: the synth itself
# or a simulated one that the user started. The simulated synths of editor
# sessions ("Zelto Sim ...") go with their session and never count.
zelto2_attached() { # API
  case "$1" in
    alsa) grep -q '"Zelto 2' /proc/asound/seq/clients 2>/dev/null ;;
    jack) jack_client_names | grep -q 'Zelto 2' ;;
  esac
}

# Sets session_number to the smallest number that no running session of this
# user holds and no MIDI client of API carries in a simulated synth's name
# (ALSA's clients are every user's), and holds it (a number whose session died
# is free again): the simulated synths of two sessions get names of their own
# that stay short.
claim_session_number() { # API
  numbers_dir="${TMPDIR:-/tmp}/zelto2x-sessions-$(id -u)"
  mkdir -p "$numbers_dir"
  exec 7>"$numbers_dir/numbers.lock"
  flock 7
  session_number=1
  while { holder="$(cat "$numbers_dir/session-$session_number.pid" 2>/dev/null)" && kill -0 "$holder" 2>/dev/null; } ||
    midi_client_exists "$1" "Zelto Sim $session_number In"; do
    session_number=$((session_number + 1))
  done
  echo "$$" >"$numbers_dir/session-$session_number.pid"
  exec 7>&-
  session_number_file="$numbers_dir/session-$session_number.pid"
}

# Gives the number back.
release_session_number() {
  [ -z "${session_number_file:-}" ] || rm -f "$session_number_file"
}

# tools/zelto2-sim of build tree BUILD under client names "NAME In" and
# "NAME Out"; returns once its ports exist. It writes what it receives, one
# message a line in hex, to LOGDIR/wire.log. Its memory holds the sounds of
# the .syx file $ZELTO2X_SIM_SYX names, else INIT sounds.
start_simulated_synth() { # BUILD LOGDIR NAME
  sim_program="$1/tools/zelto2-sim"
  sim_logs="$2"
  sim_client="$3"
  # The user's bank as one argument, blanks in its path and all.
  set --
  if [ -n "${ZELTO2X_SIM_SYX:-}" ]; then
    set -- --syx "$ZELTO2X_SIM_SYX"
  fi
  "$sim_program" --no-stdin --name "$sim_client" --log "$sim_logs/wire.log" "$@" >"$sim_logs/zelto2-sim.log" 2>&1 &
  started_pids="$! $started_pids"
  sim_pid=$!
  if ! poll 10 "$sim_pid" grep -qs '^zelto2-sim: ready' "$sim_logs/zelto2-sim.log"; then
    echo "The simulated Zelto 2 did not start:" >&2
    cat "$sim_logs/zelto2-sim.log" >&2
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
