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
// client is not available" from then on. Which server a client reached is
// told by the inode of the server's listening socket: a server that ended,
// was killed or started again listens on another one, or on none. Whether
// libjack still holds a client is told by the client's notification
// connection, which libjack closes with the client.

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/CoreMIDIRtMidiImpl.h"

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

// The Unix sockets of the system, as /proc/net/unix lists them.
struct UnixSocket {
    unsigned long inode;
    bool listening;
    std::string path;
};
std::vector<UnixSocket> UnixSockets()
{
    std::vector<UnixSocket> sockets;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);  // column names
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, path;
        unsigned long inode = 0;
        fields >> slot >> references >> protocol >> flags >> type >> state >> inode;
        std::getline(fields >> std::ws, path);
        sockets.push_back({inode, flags == "00010000", path});
    }
    return sockets;
}

// Inodes of this process's sockets.
std::set<unsigned long> OwnSockets()
{
    std::set<unsigned long> inodes;
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors) {
        return inodes;
    }
    while (const dirent* entry = readdir(descriptors)) {
        char target[64] = {};
        const ssize_t length = readlinkat(dirfd(descriptors), entry->d_name, target, sizeof target - 1);
        unsigned long inode = 0;
        if (length > 0 && std::sscanf(target, "socket:[%lu]", &inode) == 1) {
            inodes.insert(inode);
        }
    }
    closedir(descriptors);
    return inodes;
}

std::string JackSocketPath(const std::string& name)
{
    return "/dev/shm/jack_" + name + "_" + std::to_string(getuid()) + "_0";
}

// The server a JACK client made now reaches, as its listening socket; 0 when none listens.
unsigned long ListeningJackServer(const std::vector<UnixSocket>& sockets)
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    const std::string path = JackSocketPath(name && *name ? name : "default");
    for (const UnixSocket& socket : sockets) {
        if (socket.listening && socket.path == path) {
            return socket.inode;
        }
    }
    return 0;
}

// Whether path names the notification socket of a JACK client named name, or
// "name-NN" as JACK tells clients of one name apart.
bool IsJackClientSocket(const std::string& path, const std::string& name)
{
    const std::string whole = JackSocketPath(name);
    if (path == whole) {
        return true;
    }
    const std::string prefix = "/dev/shm/jack_" + name + "-";
    const std::string suffix = whole.substr(prefix.size() - 1);
    if (path.size() <= prefix.size() + suffix.size() || path.compare(0, prefix.size(), prefix) != 0
        || path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string number = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

// Held with JackCallsLock alone.
void CloseClientsLibjackDrops(const std::vector<UnixSocket>& sockets)
{
    std::set<unsigned long> listening;
    for (const UnixSocket& socket : sockets) {
        if (socket.listening) {
            listening.insert(socket.inode);
        }
    }
    const std::set<unsigned long> own = OwnSockets();
    for (MidiClient::Impl* impl : JackClients()) {
        if (!impl->library || impl->jackServer == 0) {
            continue;
        }
        if (own.count(impl->jackClientSocket) == 0) {
            impl->AbandonLibrary();
        } else if (listening.count(impl->jackServer) == 0) {
            impl->portOpen = false;
            impl->DropLibrary();
        }
    }
}

// Held with JackCallsLock alone, before a library call that may open a JACK
// client: what libjack would drop goes first; returns this process's sockets
// then, for NoteJackClientOpened.
std::set<unsigned long> BeforeJackClientOpens()
{
    CloseClientsLibjackDrops(UnixSockets());
    return OwnSockets();
}

// Held with JackCallsLock alone, after a library call that opens the JACK
// client of `opening` when it has none; `before`: this process's sockets
// before that call.
void NoteJackClientOpened(MidiClient::Impl& opening, const std::set<unsigned long>& before)
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
            NoteJackClientOpened(impl, socketsBefore);
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
// client each change it has in hand; the port goes after that.
void MidiClient::Impl::CloseLibraryPort()
{
    if (api == RtMidi::UNIX_JACK && !openPortName.empty()) {
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

JackClientOpening::JackClientOpening() : lock_(JackCallsLock()), socketsBefore_(BeforeJackClientOpens()) {}

void JackClientOpening::Opened(MidiClient::Impl& impl, const std::string& clientName)
{
    impl.jackClientName = clientName;
    NoteJackClientOpened(impl, socketsBefore_);
    JackClients().insert(&impl);
}

}  // namespace platform
