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

#include <dirent.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/CoreMIDIRtMidiImpl.h"
#include "platform/JackNames.h"

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

// Whether Unix socket `inode` is bound to `file`, as the kernel's socket
// diagnostics tell. /proc/net/unix lists the sockets of every mount
// namespace, so a socket of another /dev/shm (a container's) may share the
// path of ours; the file told apart. True where the kernel can't tell: the
// path alone decides then.
bool BoundToFile(unsigned long inode, const struct stat& file)
{
    const int diagnostics = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (diagnostics < 0) {
        return true;
    }
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } ask = {};
    ask.header.nlmsg_len = sizeof ask;
    ask.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    ask.header.nlmsg_flags = NLM_F_REQUEST;
    ask.request.sdiag_family = AF_UNIX;
    ask.request.udiag_states = ~0u;
    ask.request.udiag_ino = static_cast<__u32>(inode);
    ask.request.udiag_show = UDIAG_SHOW_VFS;
    ask.request.udiag_cookie[0] = ask.request.udiag_cookie[1] = ~0u;  // any socket of that inode
    alignas(nlmsghdr) char reply[1024];
    ssize_t length = -1;
    if (send(diagnostics, &ask, sizeof ask, 0) == static_cast<ssize_t>(sizeof ask)) {
        length = recv(diagnostics, reply, sizeof reply, 0);
    }
    close(diagnostics);
    const auto* header = reinterpret_cast<const nlmsghdr*>(reply);
    if (length < static_cast<ssize_t>(NLMSG_LENGTH(sizeof(unix_diag_msg))) || !NLMSG_OK(header, length)
        || header->nlmsg_type != SOCK_DIAG_BY_FAMILY) {
        return true;
    }
    const auto* found = static_cast<const unix_diag_msg*>(NLMSG_DATA(header));
    int left = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof *found));
    for (const auto* attribute = reinterpret_cast<const rtattr*>(found + 1); RTA_OK(attribute, left);
         attribute = RTA_NEXT(attribute, left)) {
        if (attribute->rta_type == UNIX_DIAG_VFS && RTA_PAYLOAD(attribute) >= sizeof(unix_diag_vfs)) {
            const auto* bound = static_cast<const unix_diag_vfs*>(RTA_DATA(attribute));
            // The kernel's own device numbering: major above bit 20.
            return bound->udiag_vfs_ino == file.st_ino && bound->udiag_vfs_dev >> 20 == major(file.st_dev)
                && (bound->udiag_vfs_dev & 0xfffff) == minor(file.st_dev);
        }
    }
    return false;
}

// The server a JACK client made now reaches, as its listening socket: the
// one bound to the server's socket file in this process's /dev/shm; 0 when
// none listens there.
unsigned long ListeningJackServer(const std::vector<UnixSocket>& sockets)
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    const std::string path = JackSocketPath(name && *name ? name : "default");
    struct stat file = {};
    if (stat(path.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode)) {
        return 0;
    }
    for (const UnixSocket& socket : sockets) {
        if (socket.listening && socket.path == path && BoundToFile(socket.inode, file)) {
            return socket.inode;
        }
    }
    return 0;
}

std::set<unsigned long> ListeningInodes(const std::vector<UnixSocket>& sockets)
{
    std::set<unsigned long> listening;
    for (const UnixSocket& socket : sockets) {
        if (socket.listening) {
            listening.insert(socket.inode);
        }
    }
    return listening;
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
    CloseClientsLibjackDrops(UnixSockets());
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
    const std::vector<UnixSocket> sockets = UnixSockets();
    if (server != 0 && !jackServerGone && ListeningInodes(sockets).count(server) == 0) {
        std::lock_guard<std::shared_mutex> jackCalls(JackCallsLock());
        // Read again under the lock: a client another thread opened since
        // may have reached a server newer than `sockets`.
        CloseClientsLibjackDrops(UnixSockets());
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
