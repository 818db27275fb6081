// The port layer's JACK clients and what libjack does with them.
//
// libjack frees every client of the process as soon as the process opens
// another one (a second editor in the same host, say) once it believes the
// server gone: when the server went away, and also when the server refused a
// client this process opened (it does while a port of the process is
// connected to a client without a process callback). The library would then
// call into a freed client and crash. So around each JACK client opened
// here, every client libjack would drop is closed while that is still safe
// (those of a server that went away, and all of them after a refused open),
// a client it has dropped already is let go untouched, and each gives "MIDI
// client is not available" until its server is back: a client of a server
// that went away is made anew once a server of that name listens again (one
// let go after a refusal, once another server than the refusing one does).
// Which server a client reached is told by the inode of the server's
// listening socket, the one bound to the server's file in this process's
// /dev/shm: a server that ended, was killed or started again listens on
// another one, or on none. Whether libjack still holds a client
// is told by the client's notification connection, which libjack closes
// with the client (and when its server goes).
//
// Every JACK client opens and closes on one thread of this layer, the JACK
// thread, holding the JACK calls lock alone: libjack can wait for ever in a
// client's open or close (for a lock that a thread it ended still held), and
// such a wait must stop MIDI, never the thread that asked (the window's,
// say). The other threads take the lock shared for their library calls and
// wait for the JACK thread only while it makes progress (JackClientThread.h).

#include <jack/jack.h>
#include <jack/ringbuffer.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <thread>
#include <vector>

#include "platform/CoreMIDIRtMidiImpl.h"
#include "platform/JackClientThread.h"
#include "platform/JackMessages.h"
#include "platform/JackServerSockets.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// How long an opened port may wait for the server to carry its connection,
// and a closing one for it to deliver what was sent: many cycles even on a
// busy machine.
constexpr std::chrono::seconds kConnectionPatience{2};
constexpr std::chrono::milliseconds kDeliveryPatience{500};

void log(const char* text)
{
    std::printf("MIDI: %s\n", text);
    std::fflush(stdout);
}

// RtMidi keeps its JACK client, port and output buffer in the private record
// of its back end, which its interface does not show; this is the front of
// that record as RtMidi 5.0 lays it out (its JackMidiData). Another version
// must be read again before it is built with.
constexpr bool SameText(const char* a, const char* b)
{
    return *a == *b && (*a == '\0' || SameText(a + 1, b + 1));
}
static_assert(SameText(RTMIDI_VERSION, "5.0.0"), "the record below is RtMidi 5.0.0's");
struct RtMidiJackRecord {
    jack_client_t* client;
    jack_port_t* port;
    jack_ringbuffer_t* buffer;  // output clients only
};
struct RtMidiBackEnd : RtMidi {
    static MidiApi* Of(RtMidi& midi) { return midi.*(&RtMidiBackEnd::rtapi_); }
};
struct RtMidiBackEndRecord : MidiApi {
    static void* Of(MidiApi& api) { return api.*(&RtMidiBackEndRecord::apiData_); }
};

const RtMidiJackRecord* JackRecordOf(RtMidi* library)
{
    MidiApi* backEnd = library ? RtMidiBackEnd::Of(*library) : nullptr;
    return backEnd ? static_cast<const RtMidiJackRecord*>(RtMidiBackEndRecord::Of(*backEnd)) : nullptr;
}

// Waits while waiting() holds, until the deadline; false when it still holds then.
template <class Condition>
bool WaitWhile(Clock::time_point deadline, const Condition& waiting)
{
    while (waiting()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Until a process cycle of the client's server begins after this call: the
// cycle running now (and the server's work at its start) has ended.
bool WaitForTheNextCycle(jack_client_t* client, Clock::time_point deadline)
{
    const jack_nframes_t cycle = jack_last_frame_time(client);
    return WaitWhile(deadline, [&] { return jack_last_frame_time(client) == cycle; });
}

bool HoldsJackClient(const MidiClient::Impl& impl)
{
    const RtMidiJackRecord* record = JackRecordOf(impl.library);
    return record && record->client;
}

// JACK thread only.
std::set<MidiClient::Impl*>& JackClients()
{
    static auto* clients = new std::set<MidiClient::Impl*>;
    return *clients;
}

// A client let go waits for a server to make its JACK client anew with: its
// own server went away, or closed its connection (as a server stopping does
// before it stops listening), so any server; or libjack freed it at an open
// of ours after that server refused a client, so another one than that.
void MarkToComeBack(MidiClient::Impl& impl, unsigned long refusingServer)
{
    impl.jackServer = 0;
    impl.jackRefusedBy = refusingServer;
    impl.jackServerGone = refusingServer == 0;
}

// JACK thread: every client that holds a JACK client libjack has freed, or
// whose server went away, lets it go; `own`: this process's sockets now.
// afterOurOpen: just after an open of ours, the one time libjack frees
// clients.
void CloseClientsLibjackDrops(const std::vector<UnixSocket>& sockets, const std::set<unsigned long>& own,
    bool afterOurOpen = false)
{
    const std::set<unsigned long> listening = ListeningInodes(sockets);
    for (MidiClient::Impl* impl : JackClients()) {
        const unsigned long server = impl->jackServer;
        if (server == 0) {
            continue;
        }
        const bool serverGone = listening.count(server) == 0;
        JackClientThread::Get().Progressed();
        if (own.count(impl->jackClientSocket) == 0) {
            impl->AbandonLibrary();
        } else if (serverGone) {
            impl->portOpen = false;
            impl->DropLibrary();
        } else {
            continue;
        }
        MarkToComeBack(*impl, afterOurOpen && !serverGone ? server : 0);
    }
}

// This process's end of the notification connection of a JACK client named
// `name` opened since `before`; 0 when there is none.
unsigned long NewClientSocket(const std::vector<UnixSocket>& sockets, const std::set<unsigned long>& own,
    const std::set<unsigned long>& before, const std::string& name)
{
    for (const UnixSocket& socket : sockets) {
        if (own.count(socket.inode) && !before.count(socket.inode) && !socket.listening
            && IsJackClientSocket(socket.path, name)) {
            return socket.inode;
        }
    }
    return 0;
}

// JACK thread, after the library client of `opening` was made; `before`:
// this process's sockets until then; `comingBack`: made again for a server
// that went away and is back. A JACK client is kept only when it is found on
// a listening server; without one the client is made again once a server
// listens.
void NoteJackClientOpened(MidiClient::Impl& opening, const std::set<unsigned long>& before, bool comingBack)
{
    const std::vector<UnixSocket> sockets = UnixSockets();
    const std::set<unsigned long> own = OwnSockets();
    const bool opened = HoldsJackClient(opening);
    opening.jackClientSocket = opened ? NewClientSocket(sockets, own, before, opening.jackClientName) : 0;
    const unsigned long server = ListeningJackServer(sockets);
    // Opening may have freed clients of the process libjack held for a server it believed gone.
    CloseClientsLibjackDrops(sockets, own, true);
    if (opening.jackClientSocket != 0 && server != 0) {
        opening.jackServer = server;
        opening.jackServerGone = false;
        opening.jackRefusedBy = 0;
        return;
    }
    // No JACK client (no server, or refused), or one whose server went again
    // at once: libjack might free it at any later open.
    JackClientThread::Get().Progressed();
    opening.portOpen = false;
    opening.DropLibrary();
    MarkToComeBack(opening, 0);
    if (opened || server == 0) {
        return;
    }
    // A server listens and refused the client: libjack drops every client of
    // the process at the next open, by anyone.
    for (MidiClient::Impl* impl : JackClients()) {
        if (impl != &opening && impl->jackServer != 0) {
            JackClientThread::Get().Progressed();
            impl->portOpen = false;
            impl->DropLibrary();
            // A server that has only just come back may refuse clients for a
            // moment: what that made go comes back with the server.
            MarkToComeBack(*impl, comingBack ? 0 : server);
        }
    }
}

void WriteJackError(const char* text)
{
    WriteLineWithoutStdio(STDERR_FILENO, text);
}
void WriteJackInfo(const char* text)
{
    WriteLineWithoutStdio(STDOUT_FILENO, text);
}

// JACK thread: the library client of impl made (again) by remakeLibrary.
void OpenJackLibrary(MidiClient::Impl& impl, bool comingBack)
{
    // libjack ends its own threads at any moment, mid-print too
    // (JackMessages.h).
    static const bool messagesWithoutLocks = [] {
        jack_set_error_function(&WriteJackError);
        jack_set_info_function(&WriteJackInfo);
        return true;
    }();
    static_cast<void>(messagesWithoutLocks);
    // What libjack would drop at this open goes first.
    CloseClientsLibjackDrops(ListeningUnixSockets(), OwnSockets());
    // Read once those went: a socket number they freed may come back as the new client's.
    const std::set<unsigned long> before = OwnSockets();
    JackClientThread::Get().Progressed();
    try {
        impl.remakeLibrary(impl);
    } catch (const std::exception& error) {
        log(error.what());
    }
    NoteJackClientOpened(impl, before, comingBack);
    JackClients().insert(&impl);
}

}  // namespace

MidiClient::Impl::JackCallGuard::JackCallGuard(Impl& impl, Call kind)
{
    // On the JACK thread the lock is held alone already.
    if (impl.api != RtMidi::UNIX_JACK || JackClientThread::Get().OnIt()) {
        return;
    }
    held = locked_ = JackClientThread::Get().LockShared(kind == Call::Plain);
}

MidiClient::Impl::JackCallGuard::~JackCallGuard()
{
    if (locked_) {
        JackClientThread::Get().UnlockShared();
    }
}

// libjack walks a client's port list on the client's notification thread
// while it tells the client of a graph change, and unregistering a port takes
// it off that list on the caller's thread, unlocked: a change told while a
// port goes (another JACK client of this process closed just before, a
// device's ports went away) can end in a freed entry. Renaming the port to
// its own name is a round trip through the server, which first tells every
// client each change it has in hand; the port goes after that. The server
// serves the requests that wait at one look in turn, so a change handed to
// it together with the first rename is told before the second one returns.
// A connection is told once the server carries it, at a later cycle: a port
// whose open did not see that happen (one opened, found renumbered and closed
// again) goes no sooner than a cycle's grace after its connection.
void MidiClient::Impl::CloseLibraryPort(bool deliver)
{
    if (api == RtMidi::UNIX_JACK && !openPortName.empty()) {
        if (!connectionInUse) {
            std::this_thread::sleep_until(connectedAt + kJackCycleGrace);
        }
        library->setPortName(openPortName);
        library->setPortName(openPortName);
        if (deliver) {
            WaitUntilOutputDelivered();
        }
    }
    openPortName.clear();
    connectionInUse = false;
    library->closePort();
}

// The server takes a new connection into use at the start of a later cycle;
// until then what the library hands the port leaves it unconnected. Asked
// from outside the process cycle, libjack answers from the graph the cycles
// use, once a pending change has had a cycle to come in. The server hands
// itself the news of that change just after it took it into use, in the
// same cycle's start: once the next cycle has begun, the news waits for the
// server before anything this port asks of it next (see CloseLibraryPort).
bool MidiClient::Impl::WaitUntilConnectionInUse()
{
    const RtMidiJackRecord* record = JackRecordOf(library);
    if (api != RtMidi::UNIX_JACK || !record || !record->client || !record->port) {
        return false;
    }
    const auto deadline = Clock::now() + kConnectionPatience;
    return WaitWhile(deadline, [&] { return jack_port_connected(record->port) <= 0; })
        && WaitForTheNextCycle(record->client, deadline);
}

bool MidiClient::Impl::OutputRoomFor(size_t size, std::chrono::milliseconds patience)
{
    const RtMidiJackRecord* record = JackRecordOf(library);
    if (api != RtMidi::UNIX_JACK || !output || !record || !record->buffer) {
        return true;
    }
    // The library writes a message with its length (an int) in front.
    const size_t needed = size + sizeof(int);
    if (WaitWhile(Clock::now() + patience, [&] { return jack_ringbuffer_write_space(record->buffer) < needed; })) {
        return true;
    }
    lastError = "MIDI output buffer full: the JACK server takes nothing";
    return false;
}

// The library's process callback empties its buffer into the port in one
// cycle; the ports connected to it read that cycle's events before the next
// cycle begins. A port that goes meanwhile takes what it carried with it.
void MidiClient::Impl::WaitUntilOutputDelivered()
{
    const RtMidiJackRecord* record = JackRecordOf(library);
    if (!output || !record || !record->client || !record->buffer) {
        return;
    }
    const auto deadline = Clock::now() + kDeliveryPatience;
    if (WaitWhile(deadline, [&] { return jack_ringbuffer_read_space(record->buffer) > 0; })) {
        WaitForTheNextCycle(record->client, deadline);
    }
}

bool MidiClient::Impl::MakeJackLibrary(std::string* error)
{
    api = RtMidi::UNIX_JACK;
    if (JackClientThread::Get().Run([this] { OpenJackLibrary(*this, false); })) {
        return true;
    }
    *error = kJackNotAnswering;
    return false;
}

bool MidiClient::Impl::Release()
{
    if (released) {
        return true;
    }
    released = true;
    if (api != RtMidi::UNIX_JACK) {
        DropLibrary();
        return true;
    }
    return JackClientThread::Get().Run([this] {
        JackClients().erase(this);
        if (jackServer != 0 && OwnSockets().count(jackClientSocket) == 0) {
            AbandonLibrary();
        }
        portOpen = false;
        DropLibrary();
        jackServer = 0;
    });
}

bool MidiClient::Impl::WantsJackLibraryFrom(unsigned long server) const
{
    const unsigned long refusedBy = jackRefusedBy;
    return server != 0 && (jackServerGone || (refusedBy != 0 && refusedBy != server));
}

void MidiClient::Impl::FollowJackServer()
{
    if (api != RtMidi::UNIX_JACK) {
        return;
    }
    const std::vector<UnixSocket> sockets = ListeningUnixSockets();
    const unsigned long server = jackServer;
    const bool serverGone = server != 0 && ListeningInodes(sockets).count(server) == 0;
    const bool serverBack = remakeLibrary && WantsJackLibraryFrom(ListeningJackServer(sockets));
    if (!serverGone && !serverBack) {
        return;
    }
    JackClientThread::Get().Run([this] {
        // Read again: a client another change made since may have reached a
        // server newer than `sockets`.
        const std::vector<UnixSocket> now = ListeningUnixSockets();
        CloseClientsLibjackDrops(now, OwnSockets());
        if (WantsJackLibraryFrom(ListeningJackServer(now))) {
            OpenJackLibrary(*this, true);
        }
    });
}

}  // namespace platform
