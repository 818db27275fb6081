// ThreadSanitizer suppressions for programs that talk to a JACK server.
//
// libjack's lock-free ring buffers order their reader and writer with memory
// barriers in uninstrumented code, so every byte copied through them looks
// like a race; worse, printing the report stalls JACK's real-time thread past
// the server's client timeout and MIDI is lost. The library is not ours to
// check, so races inside it are not reported.
//
// Linked into the JACK tests and, in ThreadSanitizer builds, into the
// simulated synth; ThreadSanitizer calls this at start-up.

extern "C" const char* __tsan_default_suppressions()
{
    return "race:libjack.so.0\n";
}
