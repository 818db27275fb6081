#pragma once
// Two JACK clients for the benchmarks that follow MIDI to a JACK input port:
// a listener whose process cycle notes when each message arrives, and a plain
// sender that writes with jack_midi_event_write from its own process cycle,
// the least any JACK program can do, as the floor to compare with; and a
// client that only fills the port lists. Times are
// JACK's microseconds (jack_get_time), one clock for every client.

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class JackMidiClient {
public:
    virtual ~JackMidiClient();
    std::string PortName() const { return jack_port_name(port_); }  // "client:port"
    jack_nframes_t PeriodFrames() const { return jack_get_buffer_size(client_); }
    jack_nframes_t SampleRate() const { return jack_get_sample_rate(client_); }

protected:
    bool Open(const std::string& name, bool input, std::string* error);
    virtual void Process(jack_nframes_t frames) = 0;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
};

class JackMidiListener : public JackMidiClient {
public:
    struct Arrival {
        jack_time_t us;      // when the listener's process cycle that got it ran
        jack_time_t frameUs; // the time of its frame: the period's start, as JACK hands MIDI over
        uint8_t status;
    };
    explicit JackMidiListener(size_t capacity = 1 << 16) : arrivals_(capacity) {}
    ~JackMidiListener() override;
    bool Start(const std::string& name, std::string* error) { return Open(name, true, error); }
    // Arrivals so far; the process cycle only appends.
    size_t Count() const { return count_.load(std::memory_order_acquire); }
    const Arrival& At(size_t i) const { return arrivals_[i]; }

private:
    void Process(jack_nframes_t frames) override;
    std::vector<Arrival> arrivals_;
    std::atomic<size_t> count_ {0};
};

class JackMidiSender : public JackMidiClient {
public:
    ~JackMidiSender() override;
    bool Start(const std::string& name, std::string* error);
    // Any one thread: hands three bytes to the next process cycle.
    bool Send(uint8_t status, uint8_t data1, uint8_t data2);

private:
    void Process(jack_nframes_t frames) override;
    jack_ringbuffer_t* pending_ = nullptr;
};

// A client holding idle MIDI ports, so the system's port lists are long, as
// on a studio machine with many devices.
class JackPortCrowd {
public:
    ~JackPortCrowd();
    bool Start(const std::string& name, int inputs, int outputs, std::string* error);
    std::string OutputPortName(int i) const { return jack_port_name(outputs_.at(i)); }

private:
    jack_client_t* client_ = nullptr;
    std::vector<jack_port_t*> outputs_;
};

// Connects two ports of the running server; false when JACK refuses.
bool ConnectJackPorts(const std::string& from, const std::string& to);

}  // namespace testsupport
