// LeakSanitizer suppressions for every AddressSanitizer test program.
//
// Any editor surface builds the MIDI port lists; with no JACK server running,
// RtMidi's JACK client keeps the ring buffers it made when its connection
// fails. The library is not ours to free, so that leak is not reported.
// LeakSanitizer calls this at start-up.

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:jack_ringbuffer_create\n";
}
