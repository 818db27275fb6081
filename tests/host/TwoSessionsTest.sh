#!/bin/sh
# Two first-command sessions at once without a display: each talks to a
# simulated Zelto 2 of its own over the JACK server they share, the first
# closes while the second works on (a knob turned then still reaches its
# synth), and the last one out stops the server and leaves nothing behind.
#   TwoSessionsTest.sh SOURCE_DIR BUILD_DIR
. "$(dirname "$0")/SessionTestSupport.sh"

# Host script lines printed once FILE exists (or the waits gave up).
after() { # FILE LINES
  echo "$(waits_until "[ -e '$work/$1' ]"); printf '$2'"
}

enquiry='F0 3E 16 00 04 F7'
# The cutoff knob's message (dump byte 49) to device 0, the knob at 0.
knob='F0 3E 16 00 41 01 31 00 00 F7'
# A session that fails leaves the other running: it is waited for, so that the
# last one out still finds the server it has to stop.
trap 'wait; rm -rf "$work"' EXIT
# Each waits until its synth has had the enquiry. The first stays open until
# the second has; the second turns the cutoff knob only once the first has
# closed, and stays until its synth has the knob's message.
headless_session "$1" "$2" first "$(heard first "$enquiry"); $(after second-ready '')" &
first=$!
headless_session "$1" "$2" second "$(heard second "$enquiry"); touch '$work/second-ready'; $(after first-closed 'set 40 0.25\\n'); $(heard second "$knob")" &
second=$!
wait "$first" || fail "the first session ended with an error: $(cat "$work/first.txt")"
touch "$work/first-closed"
wait "$second" || fail "the second session ended with an error: $(cat "$work/second.txt")"
cat "$work/first.txt" "$work/second.txt"

server="$(session_server first)"
[ -n "$server" ] && [ "$(session_server second)" = "$server" ] || fail "the sessions did not share one JACK server"
grep -q 'already running' "$work/first.txt" "$work/second.txt" || fail "no session joined the other's server"
# Short names, to fit the port displays.
synths="$(sed -n 's/.*talks to a simulated one (\(.*\))\.$/\1/p' "$work/first.txt" "$work/second.txt" | sort | tr '\n' ,)"
[ "$synths" = "Zelto Sim 1,Zelto Sim 2," ] || fail "the sessions did not each start a simulated synth of their own: $synths"
for name in first second; do
  grep -qxF "$enquiry" "$work/$name/wire.log" || fail "the $name session's synth never got the device enquiry"
  ! grep -q '^error' "$work/$name/host.log" || fail "the $name session could not choose its ports"
  is_png "$work/$name.png" || fail "the $name session wrote no picture"
done
grep -qxF "$knob" "$work/second/wire.log" || fail "the knob turned after the first closed never arrived"
server_gone "$server" || fail "the JACK server still runs or left files in /dev/shm"
echo "PASS"
