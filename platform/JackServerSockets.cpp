#include "platform/JackServerSockets.h"

#include <dirent.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/JackNames.h"

namespace platform {

namespace {

// The name as /proc/net/unix writes it, so both sources give one path.
std::string PathOf(const unsigned char* name, size_t length)
{
    if (length == 0) {
        return std::string();
    }
    if (name[0] != '\0') {
        const auto* end = static_cast<const unsigned char*>(std::memchr(name, '\0', length));
        return std::string(name, end ? end : name + length);
    }
    std::string abstract(name, name + length);
    for (char& c : abstract) {
        c = c == '\0' ? '@' : c;
    }
    return abstract;
}

// One socket of the kernel's answer: its message, then its attributes.
bool ReadDiagnosedSocket(const unsigned char* bytes, size_t length, std::vector<UnixSocket>& sockets)
{
    unix_diag_msg found;
    if (length < sizeof found) {
        return false;
    }
    std::memcpy(&found, bytes, sizeof found);
    if (found.udiag_family != AF_UNIX) {
        return false;
    }
    UnixSocket socket;
    socket.inode = found.udiag_ino;
    socket.listening = found.udiag_state == TCP_LISTEN;
    socket.diagnosed = true;
    for (size_t at = NLMSG_ALIGN(sizeof found); at < length;) {
        rtattr attribute;
        if (length - at < sizeof attribute) {
            return false;
        }
        std::memcpy(&attribute, bytes + at, sizeof attribute);
        if (attribute.rta_len < sizeof attribute || attribute.rta_len > length - at) {
            return false;
        }
        const unsigned char* value = bytes + at + RTA_LENGTH(0);
        const size_t valueLength = attribute.rta_len - RTA_LENGTH(0);
        if (attribute.rta_type == UNIX_DIAG_NAME) {
            socket.path = PathOf(value, valueLength);
        } else if (attribute.rta_type == UNIX_DIAG_VFS && valueLength >= sizeof(unix_diag_vfs)) {
            unix_diag_vfs bound;
            std::memcpy(&bound, value, sizeof bound);
            socket.fileDevice = bound.udiag_vfs_dev;
            socket.fileInode = bound.udiag_vfs_ino;
        }
        at += RTA_ALIGN(attribute.rta_len);
    }
    sockets.push_back(std::move(socket));
    return true;
}

// Asks the kernel's socket diagnostics for the Unix sockets whose state is in
// `states` (bits 1 << state), with their names and bound files; false where
// it has none for Unix sockets (no unix_diag in the kernel, or a sandbox
// that keeps netlink from us).
bool DiagnoseUnixSockets(__u32 states, std::vector<UnixSocket>& sockets)
{
    const int diagnostics = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (diagnostics < 0) {
        return false;
    }
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } ask = {};
    ask.header.nlmsg_len = sizeof ask;
    ask.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    ask.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    ask.request.sdiag_family = AF_UNIX;
    ask.request.udiag_states = states;
    ask.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_VFS;
    sockaddr_nl kernel = {};
    kernel.nl_family = AF_NETLINK;
    DiagnosticsPart part = DiagnosticsPart::Refused;
    if (sendto(diagnostics, &ask, sizeof ask, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel)
        == static_cast<ssize_t>(sizeof ask)) {
        // The kernel fills a dump's datagrams to 32 KiB at the most. Not on
        // the heap: freeing a block this large makes malloc sweep its bins.
        alignas(nlmsghdr) unsigned char datagram[32 * 1024];
        do {
            sockaddr_nl from = {};
            iovec into = {datagram, sizeof datagram};
            msghdr message = {};
            message.msg_name = &from;
            message.msg_namelen = sizeof from;
            message.msg_iov = &into;
            message.msg_iovlen = 1;
            ssize_t length;
            while ((length = recvmsg(diagnostics, &message, 0)) < 0 && errno == EINTR) {
            }
            if (length <= 0 || (message.msg_flags & MSG_TRUNC) || from.nl_pid != 0) {
                part = DiagnosticsPart::Refused;
                break;
            }
            part = ReadSocketDiagnostics(datagram, static_cast<size_t>(length), sockets);
        } while (part == DiagnosticsPart::More);
    }
    close(diagnostics);
    return part == DiagnosticsPart::Done;
}

std::vector<UnixSocket> ListedUnixSockets()
{
    std::ifstream table("/proc/net/unix");
    return ReadProcNetUnix(std::string(std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()));
}

// Whether `socket` is bound to `file`. /proc/net/unix lists the sockets of
// every mount namespace, so a socket of another /dev/shm (a container's) may
// share the path of ours; only the kernel's diagnostics tell the files
// apart, and where it gives none the path alone decides. It numbers devices
// its own way, not as st_dev does (glibc's makedev puts the minor's low 8
// bits at the bottom): the two agree only while the minor is below 256.
bool BoundTo(const UnixSocket& socket, const struct stat& file)
{
    if (!socket.diagnosed) {
        return true;
    }
    return socket.fileInode == static_cast<uint32_t>(file.st_ino) && socket.fileDevice >> 20 == major(file.st_dev)
        && (socket.fileDevice & 0xfffff) == minor(file.st_dev);
}

}  // namespace

DiagnosticsPart ReadSocketDiagnostics(const void* datagram, size_t length, std::vector<UnixSocket>& sockets)
{
    const auto* bytes = static_cast<const unsigned char*>(datagram);
    if (length == 0) {
        return DiagnosticsPart::Refused;
    }
    for (size_t at = 0; at < length;) {
        nlmsghdr header;
        if (length - at < sizeof header) {
            return DiagnosticsPart::Refused;
        }
        std::memcpy(&header, bytes + at, sizeof header);
        if (header.nlmsg_len < NLMSG_HDRLEN || header.nlmsg_len > length - at) {
            return DiagnosticsPart::Refused;
        }
        const unsigned char* payload = bytes + at + NLMSG_HDRLEN;
        const size_t payloadLength = header.nlmsg_len - NLMSG_HDRLEN;
        if (header.nlmsg_type == NLMSG_DONE) {
            // A dump that failed on the way ends with its error.
            int error = 0;
            if (payloadLength >= sizeof error) {
                std::memcpy(&error, payload, sizeof error);
            }
            return error < 0 ? DiagnosticsPart::Refused : DiagnosticsPart::Done;
        }
        // No acknowledgement is asked for: an error message is a refusal.
        if (header.nlmsg_type == NLMSG_ERROR
            || (header.nlmsg_type == SOCK_DIAG_BY_FAMILY && !ReadDiagnosedSocket(payload, payloadLength, sockets))) {
            return DiagnosticsPart::Refused;
        }
        at += NLMSG_ALIGN(header.nlmsg_len);
    }
    return DiagnosticsPart::More;
}

std::vector<UnixSocket> ReadProcNetUnix(const std::string& table)
{
    std::vector<UnixSocket> sockets;
    std::istringstream lines(table);
    std::string line;
    std::getline(lines, line);  // column names
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state;
        UnixSocket socket;
        if (!(fields >> slot >> references >> protocol >> flags >> type >> state >> socket.inode)) {
            continue;
        }
        std::getline(fields >> std::ws, socket.path);
        socket.listening = flags == "00010000";
        sockets.push_back(std::move(socket));
    }
    return sockets;
}

std::vector<UnixSocket> UnixSockets()
{
    std::vector<UnixSocket> sockets;
    if (DiagnoseUnixSockets(~0u, sockets)) {
        return sockets;
    }
    return ListedUnixSockets();
}

std::vector<UnixSocket> ListeningUnixSockets()
{
    std::vector<UnixSocket> sockets;
    if (DiagnoseUnixSockets(1u << TCP_LISTEN, sockets)) {
        return sockets;
    }
    sockets = ListedUnixSockets();
    sockets.erase(std::remove_if(sockets.begin(), sockets.end(), [](const UnixSocket& s) { return !s.listening; }),
        sockets.end());
    return sockets;
}

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

unsigned long ListeningJackServer(const std::vector<UnixSocket>& sockets)
{
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    const std::string path = JackSocketPath(name && *name ? name : "default");
    struct stat file = {};
    if (stat(path.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode)) {
        return 0;
    }
    for (const UnixSocket& socket : sockets) {
        if (socket.listening && socket.path == path && BoundTo(socket, file)) {
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

bool IsJackClientSocket(const std::string& path, const std::string& name)
{
    if (path == JackSocketPath(name)) {
        return true;
    }
    // The path of "name-" with the client's number where the name ends.
    const std::string numbered = JackSocketPath(name + "-");
    const size_t numberAt = numbered.rfind('-') + 1;
    const std::string head = numbered.substr(0, numberAt);
    const std::string tail = numbered.substr(numberAt);
    if (path.size() <= head.size() + tail.size() || path.compare(0, head.size(), head) != 0
        || path.compare(path.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    const std::string number = path.substr(head.size(), path.size() - head.size() - tail.size());
    return number.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace platform
