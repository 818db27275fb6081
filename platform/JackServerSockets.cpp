#include "platform/JackServerSockets.h"

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

#include "platform/JackNames.h"

namespace platform {

namespace {

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

}  // namespace

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

}  // namespace platform
