#pragma once
// What a MidiClient holds of the library, for the port layer's own files
// (CoreMIDIRtMidi.cpp, and CoreMIDIRtMidiJack.cpp for what libjack needs);
// the library's header stays out of the public one.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <RtMidi.h>

#include "platform/CoreMIDIRtMidi.h"

namespace platform {

// Far longer than a JACK process cycle stays descheduled on a busy machine.
inline constexpr std::chrono::milliseconds kJackCycleGrace{250};
// Why a JACK call failed while the JACK thread is stalled in the library.
inline constexpr const char* kJackNotAnswering = "the JACK library has not answered for a while";

struct MidiClient::Impl {
    // Exactly one of the two is set while the library client is there;
    // library points at it. On JACK a library client is kept only while it
    // holds a JACK client this layer has found on its server.
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
    // JACK only: the server was seen carrying the connection of the port
    // opened last, so every change it brings has been told by the time the
    // port closes.
    bool connectionInUse = false;
    // What the library reported during the current call.
    bool reported = false;
    bool reportedFailure = false;
    // The short name of the port the library has open, empty while none.
    std::string openPortName;

    // ---- JACK only (CoreMIDIRtMidiJack.cpp) ----
    // Every JACK client is opened and closed on the port layer's JACK thread,
    // holding the JACK calls lock alone; the client's owner reads these under
    // that lock shared, or as atomics.
    //
    // The listening socket of the server the JACK client reached, 0 while the
    // library holds no JACK client.
    std::atomic<unsigned long> jackServer{0};
    // The name asked for, and this process's end of the notification
    // connection of the library's JACK client (a socket inode). libjack holds
    // a client exactly as long as that connection is open.
    std::string jackClientName;
    unsigned long jackClientSocket = 0;
    // No JACK client now, and one is to be made (by remakeLibrary) once a
    // server of that name listens: its server went away, or it never had one.
    std::atomic<bool> jackServerGone{false};
    // No JACK client now because that server (its listening socket) refused
    // one of the process: one is made only once another server listens.
    std::atomic<unsigned long> jackRefusedBy{0};
    std::function<void(Impl&)> remakeLibrary;
    // Whether a JACK client is to be made on the server listening on that
    // socket (0: none listens).
    bool WantsJackLibraryFrom(unsigned long server) const;

    // How a library call on a JACK client holds the JACK calls lock: shared,
    // waiting while the JACK thread makes progress; or only when free at once.
    enum class Call { Plain, NoWait };
    struct JackCallGuard {
        JackCallGuard(Impl& impl, Call kind);
        ~JackCallGuard();
        bool held = true;

    private:
        bool locked_ = false;
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
        // A JACK client made again keeps its back end; the owner reads it unlocked.
        if (api != used) {
            api = used;
        }
        // From here on the library reports instead of throwing.
        library->setErrorCallback(&Impl::OnLibraryError, this);
    }

    // JACK only, on the JACK thread: the first library client, made by
    // remakeLibrary (one without a server comes once a server listens).
    // false, with a message in *error, when the JACK thread has not answered.
    bool MakeJackLibrary(std::string* error);
    // The owner's thread, before a call that lists or opens ports: a JACK
    // client whose server went away is let go (with every other client of
    // the process that libjack would drop), and made again once a server of
    // that name is back. Both happen on the JACK thread; the owner waits for
    // it unless it is stalled in the library.
    void FollowJackServer();
    // The owner's thread: the library client goes (a second call does
    // nothing). false when the JACK thread has not answered: the client may
    // still be in use there, so nothing of it may be freed (the owner leaves
    // it allocated).
    bool Release();
    bool released = false;
    // Closes the library's port; with deliver, what was sent through it
    // reaches the ports it is connected to first.
    void CloseLibraryPort(bool deliver);
    // The library client and its ports go; calls fail from then on.
    void DropLibrary()
    {
        if (library && !openPortName.empty()) {
            CloseLibraryPort(false);
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

    // JACK only, inside a call that holds the JACK calls lock: after the
    // library opened a port, waits (a few JACK cycles) until the server
    // carries its connection, so that nothing sent from then on goes out
    // through an unconnected port.
    bool WaitUntilConnectionInUse();
    // JACK only, the same: whether the library's output buffer has room for
    // a message of `size` bytes, waiting at most `patience` for the server
    // to empty it (the library itself would wait for ever).
    bool OutputRoomFor(size_t size, std::chrono::milliseconds patience);
    // JACK only, the same: waits (a few JACK cycles at most) until the server
    // has taken all that was sent and ended the cycle that carried it, so
    // that the ports it went to have read it before the port goes.
    void WaitUntilOutputDelivered();

    // Runs one library call; false when it threw or reported a failure.
    // A warning that did not fail the call is shown and kept. NoWait gives
    // false with *busy set while the JACK thread changes clients.
    template <class Library>
    bool Run(Library call, Call kind = Call::Plain, bool* busy = nullptr)
    {
        JackCallGuard guard(*this, kind);
        if (busy) {
            *busy = !guard.held;
        }
        if (!guard.held && kind == Call::Plain) {
            lastError = std::string("MIDI: ") + kJackNotAnswering;
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

}  // namespace platform
