#pragma once
// What the system's Unix sockets tell of JACK: which server listens on the
// socket file of this process's /dev/shm, and which notification
// connections of this process's JACK clients are still open. The port layer
// uses it to follow its server and the clients libjack holds
// (CoreMIDIRtMidiJack.cpp). Any thread; each call reads the system anew.
//
// The sockets come from the kernel's socket diagnostics, which also name the
// file each socket is bound to; where the kernel has none for Unix sockets,
// from /proc/net/unix, whose paths alone must then decide.

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace platform {

// One Unix socket of the system.
struct UnixSocket {
    unsigned long inode = 0;
    bool listening = false;
    // As /proc/net/unix writes it: an abstract name starts with '@'.
    std::string path;
    // Whether the kernel's socket diagnostics told of it; only they name its
    // bound file: device (in the kernel's own numbering, major << 20 | minor)
    // and inode, both 0 for a socket bound to none.
    bool diagnosed = false;
    unsigned long fileDevice = 0;
    unsigned long fileInode = 0;
};

// Every Unix socket of the system (a rare look: a JACK client opening).
std::vector<UnixSocket> UnixSockets();
// The listening ones only: what a look at the server needs, which then costs
// little however many connections the system holds.
std::vector<UnixSocket> ListeningUnixSockets();

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

// The readers of the kernel's bytes, pure for tests and fuzzing.
// One datagram of the kernel's answer to a dump of Unix sockets: appends each
// socket it tells. More: the answer goes on in the next datagram; Done: it
// ended; Refused: the kernel has no diagnostics for Unix sockets, or the
// bytes are not such an answer (the caller then reads /proc/net/unix).
enum class DiagnosticsPart { More, Done, Refused };
DiagnosticsPart ReadSocketDiagnostics(const void* datagram, size_t length, std::vector<UnixSocket>& sockets);
// The text of /proc/net/unix, its line of column names included.
std::vector<UnixSocket> ReadProcNetUnix(const std::string& table);

}  // namespace platform
