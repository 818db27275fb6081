#include "support/JackMidiProbes.h"

#include <jack/midiport.h>

namespace testsupport {

JackMidiClient::~JackMidiClient()
{
    if (client_)
        jack_client_close(client_);
}

bool JackMidiClient::Open(const std::string& name, bool input, std::string* error)
{
    client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    port_ = client_ ? jack_port_register(client_, input ? "in" : "out", JACK_DEFAULT_MIDI_TYPE,
                          input ? JackPortIsInput : JackPortIsOutput, 0)
                    : nullptr;
    const auto onProcess = [](jack_nframes_t frames, void* self) {
        static_cast<JackMidiClient*>(self)->Process(frames);
        return 0;
    };
    if (!port_ || jack_set_process_callback(client_, onProcess, this) != 0 || jack_activate(client_) != 0) {
        *error = "JACK client " + name + " could not start";
        return false;
    }
    return true;
}

JackPortCrowd::~JackPortCrowd()
{
    if (client_)
        jack_client_close(client_);
}

bool JackPortCrowd::Start(const std::string& name, int inputs, int outputs, std::string* error)
{
    client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    for (int i = 0; client_ && i < inputs + outputs; ++i) {
        const bool input = i < inputs;
        const std::string port = (input ? "in-" : "out-") + std::to_string(input ? i : i - inputs);
        jack_port_t* registered = jack_port_register(client_, port.c_str(), JACK_DEFAULT_MIDI_TYPE,
            input ? JackPortIsInput : JackPortIsOutput, 0);
        if (!registered)
            break;
        if (!input)
            outputs_.push_back(registered);
    }
    // Idle, but with a process callback all the same: while a port of this process is connected to a client
    // without one, JACK refuses every client this process opens next and then drops the ones it has.
    const auto idle = [](jack_nframes_t, void*) { return 0; };
    if (!client_ || static_cast<int>(outputs_.size()) != outputs || jack_set_process_callback(client_, idle, nullptr) != 0
        || jack_activate(client_) != 0) {
        *error = "JACK client " + name + " could not register its ports";
        return false;
    }
    return true;
}

JackMidiListener::~JackMidiListener()
{
    // The process cycle writes into arrivals_: it must end before they go.
    if (client_)
        jack_deactivate(client_);
}

void JackMidiListener::Process(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(port_, frames);
    const jack_time_t now = jack_get_time();
    const jack_nframes_t cycleStart = jack_last_frame_time(client_);
    const uint32_t events = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < events; ++i) {
        jack_midi_event_t event;
        const size_t at = count_.load(std::memory_order_relaxed);
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0 || at == arrivals_.size())
            continue;
        arrivals_[at] = {now, jack_frames_to_time(client_, cycleStart + event.time), event.buffer[0]};
        count_.store(at + 1, std::memory_order_release);
    }
}

JackMidiSender::~JackMidiSender()
{
    if (client_)
        jack_deactivate(client_);
    if (pending_)
        jack_ringbuffer_free(pending_);
}

bool JackMidiSender::Start(const std::string& name, std::string* error)
{
    pending_ = jack_ringbuffer_create(4096);
    return Open(name, false, error);
}

bool JackMidiSender::Send(uint8_t status, uint8_t data1, uint8_t data2)
{
    const uint8_t bytes[3] = {status, data1, data2};
    return jack_ringbuffer_write_space(pending_) >= sizeof bytes
        && jack_ringbuffer_write(pending_, reinterpret_cast<const char*>(bytes), sizeof bytes) == sizeof bytes;
}

void JackMidiSender::Process(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    uint8_t bytes[3];
    while (jack_ringbuffer_read_space(pending_) >= sizeof bytes) {
        jack_ringbuffer_read(pending_, reinterpret_cast<char*>(bytes), sizeof bytes);
        jack_midi_event_write(buffer, 0, bytes, sizeof bytes);
    }
}

bool ConnectJackPorts(const std::string& from, const std::string& to)
{
    jack_client_t* client = jack_client_open("zelto2x-connector", JackNoStartServer, nullptr);
    const bool connected = client && jack_connect(client, from.c_str(), to.c_str()) == 0;
    if (client)
        jack_client_close(client);
    return connected;
}

}  // namespace testsupport
