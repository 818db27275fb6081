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
// that went away is made anew once a server of that name listens again (a
// refusal stands). Which server a client reached is told by the inode of the
// server's listening socket, the one bound to the server's file in this
// process's /dev/shm: a server that ended, was killed or started again
// listens on another one, or on none. Whether libjack still holds a client
// is told by the client's notification connection, which libjack closes
// with the client.

#include <thread>
#include <vector>

#include "platform/CoreMIDIRtMidiImpl.h"
#include "platform/JackServerSockets.h"

namespace platform {

namespace {

std::shared_mutex& JackCallsLock()
{
    static auto* lock = new std::shared_mutex;  // outlives every client
    return *lock;
}

// Held with JackCallsLock alone.
std::set<MidiClient::Impl*>& JackClients()
{
    static auto* clients = new std::set<MidiClient::Impl*>;
    return *clients;
}

// Held with JackCallsLock alone.
void CloseClientsLibjackDrops(const std::vector<UnixSocket>& sockets)
{
    const std::set<unsigned long> listening = ListeningInodes(sockets);
    const std::set<unsigned long> own = OwnSockets();
    for (MidiClient::Impl* impl : JackClients()) {
        if (!impl->library || impl->jackServer == 0) {
            continue;
        }
        const bool serverGone = listening.count(impl->jackServer) == 0;
        if (own.count(impl->jackClientSocket) == 0) {
            impl->AbandonLibrary();
        } else if (serverGone) {
            impl->portOpen = false;
            impl->DropLibrary();
        } else {
            continue;
        }
        // Only a server that went away comes back; a refusal stands.
        impl->jackServerGone = serverGone;
    }
}

// Held with JackCallsLock alone, before a library call that may open a JACK
// client: what libjack would drop goes first; returns this process's sockets
// then, for NoteJackClientOpened.
std::set<unsigned long> BeforeJackClientOpens()
{
    CloseClientsLibjackDrops(ListeningUnixSockets());
    return OwnSockets();
}

// Held with JackCallsLock alone, after a library call that opens the JACK
// client of `opening` when it has none; `before`: this process's sockets
// before that call; `comingBack`: the client is made again for a server
// that went away and is back.
void NoteJackClientOpened(MidiClient::Impl& opening, const std::set<unsigned long>& before, bool comingBack)
{
    const std::vector<UnixSocket> sockets = UnixSockets();
    const std::set<unsigned long> own = OwnSockets();
    opening.jackClientSocket = 0;
    for (const UnixSocket& socket : sockets) {
        if (own.count(socket.inode) && !before.count(socket.inode) && !socket.listening
            && IsJackClientSocket(socket.path, opening.jackClientName)) {
            opening.jackClientSocket = socket.inode;
        }
    }
    const unsigned long server = ListeningJackServer(sockets);
    // Opening may have freed clients of the process libjack held for a server it believed gone.
    CloseClientsLibjackDrops(sockets);
    if (opening.jackClientSocket != 0) {
        opening.jackServer = server;
        return;
    }
    if (server == 0) {
        return;
    }
    // A server listens and refused the client: libjack drops every client of
    // the process at the next open, by anyone.
    for (MidiClient::Impl* impl : JackClients()) {
        if (impl != &opening && impl->library) {
            impl->portOpen = false;
            impl->DropLibrary();
            // A server that has only just come back may refuse clients for a
            // moment: what that made go comes back with the server.
            impl->jackServerGone = comingBack;
        }
    }
}

}  // namespace

MidiClient::Impl::JackCallGuard::JackCallGuard(Impl& impl, Call kind) : impl(impl), kind(kind)
{
    if (impl.api != RtMidi::UNIX_JACK) {
        return;
    }
    lock = &JackCallsLock();
    alone = impl.jackServer == 0;
    if (!alone) {
        held = kind == Call::NoWait ? lock->try_lock_shared() : (lock->lock_shared(), true);
        return;
    }
    held = kind == Call::NoWait ? lock->try_lock() : (lock->lock(), true);
    if (held && kind == Call::MayConnect) {
        socketsBefore = BeforeJackClientOpens();
    }
}

MidiClient::Impl::JackCallGuard::~JackCallGuard()
{
    if (!lock || !held) {
        return;
    }
    if (alone) {
        if (kind == Call::MayConnect && impl.library) {
            NoteJackClientOpened(impl, socketsBefore, false);
        }
        lock->unlock();
    } else {
        lock->unlock_shared();
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
// A connection only comes into use, and is told, at a later cycle: a port
// connected moments ago (one opened, found renumbered and closed again) goes
// no sooner than a cycle's grace after.
void MidiClient::Impl::CloseLibraryPort()
{
    if (api == RtMidi::UNIX_JACK && !openPortName.empty()) {
        std::this_thread::sleep_until(connectedAt + kJackCycleGrace);
        library->setPortName(openPortName);
        library->setPortName(openPortName);
    }
    openPortName.clear();
    library->closePort();
}

void MidiClient::Impl::Release()
{
    std::unique_lock<std::shared_mutex> jackCalls;
    if (api == RtMidi::UNIX_JACK) {
        jackCalls = std::unique_lock<std::shared_mutex>(JackCallsLock());
        JackClients().erase(this);
        if (library && jackServer != 0 && OwnSockets().count(jackClientSocket) == 0) {
            AbandonLibrary();
        }
    }
    DropLibrary();
}

void MidiClient::Impl::FollowJackServer()
{
    if (api != RtMidi::UNIX_JACK) {
        return;
    }
    const unsigned long server = jackServer;
    const std::vector<UnixSocket> sockets = ListeningUnixSockets();
    if (server != 0 && !jackServerGone && ListeningInodes(sockets).count(server) == 0) {
        std::lock_guard<std::shared_mutex> jackCalls(JackCallsLock());
        // Read again under the lock: a client another thread opened since
        // may have reached a server newer than `sockets`.
        CloseClientsLibjackDrops(ListeningUnixSockets());
    }
    if (!jackServerGone || !remakeLibrary || ListeningJackServer(sockets) == 0) {
        return;
    }
    JackClientOpening opening;
    jackServer = 0;
    try {
        remakeLibrary(*this);
    } catch (const std::exception& error) {
        lastError = error.what();
        return;
    }
    opening.Opened(*this, jackClientName, true);
    if (jackClientSocket != 0) {
        jackServerGone = false;
        return;
    }
    // Refused by a server still coming up, say: made again at a later call,
    // never left to the library's own tries, whose refusals would stand.
    portOpen = false;
    DropLibrary();
}

JackClientOpening::JackClientOpening() : lock_(JackCallsLock()), socketsBefore_(BeforeJackClientOpens()) {}

void JackClientOpening::Opened(MidiClient::Impl& impl, const std::string& clientName, bool comingBack)
{
    impl.jackClientName = clientName;
    NoteJackClientOpened(impl, socketsBefore_, comingBack);
    JackClients().insert(&impl);
}

}  // namespace platform
