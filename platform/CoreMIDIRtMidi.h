#pragma once
// The computer's MIDI service on Linux: one input or output client on RtMidi.
// This is the only place the library is called; its exceptions and error
// reports end here and come back as false plus LastError(). No library header
// is exposed.
//
// Back end: ZELTO2X_MIDI_API = "alsa" or "jack" picks one; otherwise ALSA is
// tried first and JACK takes over when the ALSA sequencer can't be opened.
//
// Input is handed over on the client's own MIDI input thread (our stand-in for
// the system's MIDI input thread), never on the library's thread, which on
// JACK is real-time and must not block: each message is copied into a bounded
// lock-free queue there and delivered from the input thread in arrival order.
//
// Thread use: one owner drives a client (create, list, open, close, send) and
// serialises its own calls; only the input callback runs elsewhere. Clients
// of several owners (two editors in one host) may be driven at once.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Called on the client's MIDI input thread with one whole message; the vector
// is valid during the call only. The time stamp is the library's delta time.
using MidiInputCallback = void (*)(double timeStamp, std::vector<unsigned char>* message,
    void* userData);
// Called on the client's MIDI input thread, after the messages that were
// waiting have been delivered, with the count lost since the last report.
using MidiLossReport = void (*)(unsigned long lost, void* userData);

// Ports of clients of that name are left out of every port list from now on.
// Each client's Create does this for its own name; a program with clients of
// several names tells them all before its first list, so that a second copy
// of it, running under the same names, never shows as a device. Any thread.
void KeepClientNameOutOfLists(const std::string& clientName);

class MidiClient {
public:
    virtual ~MidiClient();
    MidiClient(const MidiClient&) = delete;
    MidiClient& operator=(const MidiClient&) = delete;

    // The ports as the library sees them now, less those of clients named
    // like this process's own (its own and a second editor's are never a
    // device): count (0 when that fails), names and opening by that numbering.
    // On JACK a count also follows the server: after it went away there are
    // no ports, and once a server of its name is back the client reaches it.
    unsigned PortCount();
    // false when the name can't be read; *name is then left alone.
    bool PortName(unsigned port, std::string* name);
    // The number of the port of that name now; -1 when there is none.
    int FindPort(const std::string& systemPortName);
    // Opens the port of that name under `portName`, and gives its number in
    // *position. A port that comes or goes numbers the system's ports anew,
    // also between the look for the name and the opening, so the port opened
    // is checked by name and opened again when another took its number.
    // Missing: no port of that name; Failed: the library's message in
    // LastError(). Anything but Opened leaves no port open.
    enum class Opening { Opened, Missing, Failed };
    Opening OpenPort(const std::string& systemPortName, const std::string& portName, unsigned* position = nullptr);
    // A port other programs connect to, named portName.
    bool OpenVirtualPort(const std::string& portName);
    void ClosePort();
    bool IsPortOpen() const;
    // "alsa" or "jack".
    std::string ApiName() const;
    // The library's message for the last failed call.
    const std::string& LastError() const;

    struct Impl;

protected:
    explicit MidiClient(std::unique_ptr<Impl> impl);
    // Library port numbers of the ports the lists show, in library order.
    std::vector<unsigned> ChoosablePorts();
    unsigned LibraryPort(unsigned port);
    // Opens port `port` of the numbering; false leaves no port open.
    bool OpenNumberedPort(unsigned port, const std::string& portName);
    std::vector<unsigned> choosable_;
    std::unique_ptr<Impl> impl_;
};

// The name of every input client's thread.
inline constexpr const char* kMidiInputThreadName = "midi input";
// The name of the one thread that opens and closes the JACK clients of the
// process; it starts with the first JACK client and runs as long as the
// process.
inline constexpr const char* kJackClientThreadName = "midi jack";

class MidiInputClient : public MidiClient {
public:
    // null on failure, with the library's message in *error.
    static std::unique_ptr<MidiInputClient> Create(const std::string& clientName,
        unsigned queueSizeLimit, std::string* error);
    ~MidiInputClient() override;

    // Installs the callback, replacing any earlier one. Messages reach it
    // only while a port is open. The input thread runs from Create until the
    // client is destroyed (closing a port never waits for a delivery in
    // progress, which may be waiting for a lock the closer holds).
    bool SetCallback(MidiInputCallback callback, void* userData);
    // true drops that kind before it reaches the callback.
    bool IgnoreTypes(bool sysex, bool timingClock, bool activeSensing);
    // Messages lost because the input queue was full, since creation.
    unsigned long DroppedMessages() const;
    // Replaces where losses are reported; by default each report is a
    // "MIDI: <n> incoming messages lost" line on standard output.
    void SetLossReport(MidiLossReport report, void* userData);

    struct Delivery;

private:
    explicit MidiInputClient(std::unique_ptr<Impl> impl);
    std::unique_ptr<Delivery> delivery_;
};

class MidiOutputClient : public MidiClient {
public:
    static std::unique_ptr<MidiOutputClient> Create(const std::string& clientName,
        std::string* error);
    // On JACK this may wait a moment after a port closed just before.
    ~MidiOutputClient() override;

    // One whole message in one library call. With no port open it goes
    // nowhere (the library is not called); that is not a failure.
    bool Send(const unsigned char* bytes, size_t size);
    // Send without waiting: false, with nothing sent, while this process
    // opens or closes a JACK client (try again later).
    bool TrySend(const unsigned char* bytes, size_t size);

private:
    explicit MidiOutputClient(std::unique_ptr<Impl> impl);
};

// A client that only looks at the system's ports of one direction (inputs:
// the ports an input client opens), as a client of that direction on the back
// end named api ("alsa" or "jack"; another name: the usual choice) sees them.
// It opens no port and sends nothing, so its owner can look at the ports
// while another thread drives a client of its own that sends.
class MidiPortLister : public MidiClient {
public:
    // null on failure, with the library's message in *error.
    static std::unique_ptr<MidiPortLister> Create(bool inputs, const std::string& api,
        const std::string& clientName, std::string* error);

private:
    explicit MidiPortLister(std::unique_ptr<Impl> impl);
};

}  // namespace platform
