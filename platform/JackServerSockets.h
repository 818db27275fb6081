#pragma once
// What the system's Unix sockets tell of JACK: which server listens on the
// socket file of this process's /dev/shm, and which notification
// connections of this process's JACK clients are still open. The port layer
// uses it to follow its server and the clients libjack holds
// (CoreMIDIRtMidiJack.cpp). Any thread; each call reads the system anew.

#include <set>
#include <string>
#include <vector>

namespace platform {

// One Unix socket of the system, as /proc/net/unix lists it.
struct UnixSocket {
    unsigned long inode;
    bool listening;
    std::string path;
};
std::vector<UnixSocket> UnixSockets();

// Inodes of this process's sockets.
std::set<unsigned long> OwnSockets();

// The server a JACK client made now reaches, as its listening socket: the
// one bound to the server's socket file in this process's /dev/shm; 0 when
// none listens there.
unsigned long ListeningJackServer(const std::vector<UnixSocket>& sockets);

std::set<unsigned long> ListeningInodes(const std::vector<UnixSocket>& sockets);

// Whether path names the notification socket of a JACK client named name, or
// "name-NN" as JACK tells clients of one name apart.
bool IsJackClientSocket(const std::string& path, const std::string& name);

}  // namespace platform
