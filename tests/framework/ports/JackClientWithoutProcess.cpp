// A JACK client with one MIDI output and no process callback, for the port
// tests: it connects its output to the port named on its command line, says
// "ready", and ends when its standard input closes. It runs as a process of
// its own, since libjack may drop every client of a process it shares.
#include <jack/jack.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CLIENT-NAME PORT-TO-CONNECT-TO\n", argv[0]);
        return 2;
    }
    jack_client_t* client = jack_client_open(argv[1], JackNoStartServer, nullptr);
    jack_port_t* out = client ? jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0)
                              : nullptr;
    if (!out || jack_activate(client) != 0 || jack_connect(client, jack_port_name(out), argv[2]) != 0) {
        std::fprintf(stderr, "%s: could not connect to %s\n", argv[1], argv[2]);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    jack_client_close(client);
    return 0;
}
