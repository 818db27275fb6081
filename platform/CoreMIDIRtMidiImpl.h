#pragma once
// What a MidiClient holds of the library, for the port layer's own files
// (CoreMIDIRtMidi.cpp, and CoreMIDIRtMidiJack.cpp for what libjack needs);
// the library's header stays out of the public one.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>

#include <RtMidi.h>

#include "platform/CoreMIDIRtMidi.h"

namespace platform {

// Far longer than a JACK process cycle stays descheduled on a busy machine.
inline constexpr std::chrono::milliseconds kJackCycleGrace{250};

struct MidiClient::Impl {
    // Exactly one of the two is set; library points at it.
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut> output;
    RtMidi* library = nullptr;
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    std::string lastError;
    // Read by the input thread to drop what arrives while no port is open.
    std::atomic<bool> portOpen{false};
    // When the last open port closed (output clients on JACK wait on it),
    // and when the library connected the port it opened last.
    std::chrono::steady_clock::time_point closedAt, connectedAt;
    // What the library reported during the current call.
    bool reported = false;
    bool reportedFailure = false;
    // The short name of the port the library has open, empty while none.
    std::string openPortName;
    // JACK only: the listening socket of the server the library's JACK
    // client reached, 0 while it has none (the library then tries again at
    // each call that lists or opens ports).
    std::atomic<unsigned long> jackServer{0};
    // JACK only, with the JACK calls lock alone: the name asked for, and this
    // process's end of the notification connection of the library's JACK
    // client (a socket inode), 0 while it has none. libjack holds a client
    // exactly as long as that connection is open.
    std::string jackClientName;
    unsigned long jackClientSocket = 0;
    // JACK only: the library client was let go because its server went
    // away; FollowJackServer makes a new one, by remakeLibrary, once a
    // server of that name listens again.
    std::atomic<bool> jackServerGone{false};
    std::function<void(Impl&)> remakeLibrary;

    // How a library call on a JACK client holds the JACK calls lock: shared,
    // or alone while it may open a JACK client (see CoreMIDIRtMidiJack.cpp).
    enum class Call { Plain, MayConnect, NoWait };
    struct JackCallGuard {
        JackCallGuard(Impl& impl, Call kind);
        ~JackCallGuard();
        Impl& impl;
        Call kind;
        std::shared_mutex* lock = nullptr;
        bool alone = false;
        bool held = true;
        std::set<unsigned long> socketsBefore;
    };

    static void OnLibraryError(RtMidiError::Type type, const std::string& text, void* self)
    {
        auto* impl = static_cast<Impl*>(self);
        impl->reported = true;
        impl->lastError = text;
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) {
            impl->reportedFailure = true;
        }
    }

    void Adopt(std::unique_ptr<RtMidiIn> client, RtMidi::Api used)
    {
        input = std::move(client);
        Adopted(input.get(), used);
    }
    void Adopt(std::unique_ptr<RtMidiOut> client, RtMidi::Api used)
    {
        output = std::move(client);
        Adopted(output.get(), used);
    }
    void Adopted(RtMidi* client, RtMidi::Api used)
    {
        library = client;
        api = used;
        // From here on the library reports instead of throwing.
        library->setErrorCallback(&Impl::OnLibraryError, this);
    }
    // The owner's thread, before a call that lists or opens ports: a JACK
    // client whose server went away is let go (with every other client of
    // the process that libjack would drop), and made again once a server of
    // that name is back. Takes the JACK calls lock alone when either happens.
    void FollowJackServer();
    void Release();
    ~Impl() { Release(); }
    void CloseLibraryPort();
    // The library client and its ports go; calls fail from then on.
    void DropLibrary()
    {
        if (library && !openPortName.empty()) {
            CloseLibraryPort();
        }
        library = nullptr;
        input.reset();
        output.reset();
    }
    // The same for a client libjack has freed already: the library object is
    // let go without a call into it, which would reach freed memory.
    void AbandonLibrary()
    {
        portOpen = false;
        openPortName.clear();
        library = nullptr;
        static_cast<void>(input.release());
        static_cast<void>(output.release());
    }

    // Runs one library call; false when it threw or reported a failure.
    // A warning that did not fail the call is shown and kept. NoWait gives
    // false with *busy set when JACK clients are being opened or closed.
    template <class Library>
    bool Run(Library call, Call kind = Call::Plain, bool* busy = nullptr)
    {
        JackCallGuard guard(*this, kind);
        if (busy) {
            *busy = !guard.held;
        }
        return guard.held && RunHeld(call);
    }
    template <class Library>
    bool RunHeld(Library call)
    {
        reported = false;
        reportedFailure = false;
        if (!library) {
            lastError = "MIDI client is not available";
            return false;
        }
        try {
            call();
        } catch (const RtMidiError& error) {
            lastError = error.getMessage();
            return false;
        } catch (const std::exception& error) {
            lastError = error.what();
            return false;
        }
        return !reportedFailure;
    }
};

// Held around the creation of a JACK client: the JACK calls lock alone, and
// what libjack needs done before and after a client of the process opens.
class JackClientOpening {
public:
    JackClientOpening();
    // After the library client was made: whether it reached a server, and
    // what follows when the server refused it. comingBack: made again for a
    // server that went away (MidiClient::Impl::FollowJackServer).
    void Opened(MidiClient::Impl& impl, const std::string& clientName, bool comingBack = false);

private:
    std::unique_lock<std::shared_mutex> lock_;
    std::set<unsigned long> socketsBefore_;
};

}  // namespace platform
