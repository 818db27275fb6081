#!/bin/sh
# Opens the editor of build tree BUILD (default: build) in the host program:
#   scripts/editor-session.sh [BUILD]
# First it installs the data folder as the first command does (settings file,
# user manual; scripts/install-data.sh), but no packages.
# When no Zelto 2 is attached it starts a simulated one of its own (and, where
# no ALSA sequencer exists and no JACK server runs, a JACK server that the
# sessions running at once share) and sets the editor's MIDI ports to it;
# $ZELTO2X_SIM_SYX names a .syx file whose sounds that synth holds.
# Without a display it writes a picture of the panel to $ZELTO2X_SCREENSHOT
# (default: BUILD/zelto2x-editor.png) and ends; $ZELTO2X_SESSION_COMMANDS, a
# shell command, may print host script lines to run before the picture. What
# it started stops when the editor closes; the shared server stops with the
# last session, which leaves /dev/shm as the first one found it. Its logs, the
# synth's wire log among them, go to $ZELTO2X_SESSION_DIR, else to a folder
# removed at the end.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
# shellcheck source=scripts/lib/midi-services.sh
. "$here/lib/midi-services.sh"

host="$build/host/zelto2x-host"
bundle="$build/Zelto2X Editor.component"
screenshot="${ZELTO2X_SCREENSHOT:-$build/zelto2x-editor.png}"
if [ ! -x "$host" ] || [ ! -d "$bundle" ]; then
  echo "$build holds no built editor: run scripts/build.sh $build first." >&2
  exit 1
fi
"$here/install-data.sh" "$build"
logs="${ZELTO2X_SESSION_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/zelto2x-session.XXXXXX")}"
mkdir -p "$logs"
if [ -n "${ZELTO2X_SESSION_DIR:-}" ]; then
  trap 'stop_started; leave_session_server; release_session_number' EXIT
else
  trap 'stop_started; leave_session_server; release_session_number; rm -rf "$logs"' EXIT
fi
trap 'exit 130' INT
trap 'exit 143' TERM
# Only this script starts a JACK server, and only when it says so.
export JACK_NO_START_SERVER=1

api="$(midi_api)"
if [ "$api" = jack ] && ! jack_running; then
  join_session_server "$logs"
fi

# Host script lines that choose the MIDI ports before the panel opens.
ports="$logs/ports.txt"
: >"$ports"
simulated=""
if zelto2_attached "$api"; then
  echo "A Zelto 2 is attached: choose its ports in the editor's MIDI IN and MIDI OUT menus."
  if [ -n "${ZELTO2X_SIM_SYX:-}" ]; then
    echo "ZELTO2X_SIM_SYX is left unused: no simulated synth is started."
  fi
else
  # Named for this session (short enough for the port menus), so that a second
  # session takes neither it for an attached synth nor its ports for its own.
  claim_session_number "$api"
  sim_name="Zelto Sim $session_number"
  start_simulated_synth "$build" "$logs" "$sim_name"
  simulated=yes
  echo "No Zelto 2 attached: the editor talks to a simulated one ($sim_name)."
  if [ -n "${ZELTO2X_SIM_SYX:-}" ]; then
    echo "Its memory holds the sounds of $ZELTO2X_SIM_SYX."
  fi
  # kDeviceInSelection (274) first: choosing the output (273) starts the
  # device enquiry, whose answer must find the input open.
  printf 'set 274 %s\nset 273 %s\n' "$(port_entry "$api" "$sim_name Out" "MIDI Out")" \
    "$(port_entry "$api" "$sim_name In" "MIDI In")" >"$ports"
fi

# Script commands for a session without a display: the panel once the synth
# has had its enquiry (up to 10 s), as a picture.
headless_script() {
  cat "$ports"
  echo openview
  if [ -n "$simulated" ]; then
    poll 10 "$sim_pid" grep -qs '^F0 3E 16 .. 04 F7$' "$logs/wire.log" || true
  fi
  if [ -n "${ZELTO2X_SESSION_COMMANDS:-}" ]; then
    sh -c "$ZELTO2X_SESSION_COMMANDS"
  fi
  echo "wait 1000"
  echo "screenshot $logs/panel.png"
  echo closeview
  echo quit
}

run_headless() {
  echo "No display can be opened: writing a picture of the editor's panel to $screenshot instead."
  headless_script | "$host" --script - "$bundle" >"$logs/host.log" 2>"$logs/editor.log" || true
  # Copied in under a name of its own, then renamed: a session running at
  # once never finds half a picture.
  if grep -qxF "ok $logs/panel.png" "$logs/host.log" && cp "$logs/panel.png" "$screenshot.$$" &&
    mv -f "$screenshot.$$" "$screenshot"; then
    echo "Wrote the picture: $screenshot"
    return 0
  fi
  rm -f "$screenshot.$$"
  echo "The picture could not be written:" >&2
  grep '^error' "$logs/host.log" >&2 || true
  return 1
}

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ "${ZELTO2X_HEADLESS:-}" = 1 ]; then
  run_headless
  exit
fi
echo "Opening the editor; closing its window ends the session."
# In the background, so that a signal to this script ends the session at once.
"$host" --window --script "$ports" "$bundle" >"$logs/host.log" 2>"$logs/editor.log" &
started_pids="$! $started_pids"
status=0
wait "$!" || status=$?
if [ "$status" -eq 3 ]; then # the host found no display it could open
  run_headless
  exit
fi
# Answers of the port lines included: a port that could not be chosen shows here.
grep '^error' "$logs/host.log" >&2 || true
exit "$status"
