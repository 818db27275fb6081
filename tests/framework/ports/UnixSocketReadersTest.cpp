// What the port layer reads of the system's Unix sockets: the kernel's socket
// diagnostics answer and /proc/net/unix, as the kernel writes them, and the
// server's socket found from what they tell.

#include <gtest/gtest.h>

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/JackNames.h"
#include "platform/JackServerSockets.h"

using platform::DiagnosticsPart;
using platform::UnixSocket;

namespace {

// One netlink datagram built from the kernel's structures, message by message.
class Datagram {
public:
    template <class Payload>
    Datagram& Message(__u16 type, const Payload& payload)
    {
        start_ = bytes_.size();
        nlmsghdr header = {};
        header.nlmsg_type = type;
        header.nlmsg_flags = NLM_F_MULTI;
        Append(&header, sizeof header);
        Append(&payload, sizeof payload);
        return Close();
    }
    // overstated: bytes its length claims beyond what it has.
    Datagram& Attribute(__u16 type, const void* value, size_t length, unsigned short overstated = 0)
    {
        rtattr attribute = {static_cast<unsigned short>(RTA_LENGTH(length) + overstated), type};
        Append(&attribute, sizeof attribute);
        Append(value, length);
        return Close();
    }
    // The last message's length grown by `more` bytes it does not have.
    Datagram& Overstated(__u32 more)
    {
        reinterpret_cast<nlmsghdr*>(bytes_.data() + start_)->nlmsg_len += more;
        return *this;
    }
    DiagnosticsPart Read(std::vector<UnixSocket>& sockets) const
    {
        return platform::ReadSocketDiagnostics(bytes_.data(), bytes_.size(), sockets);
    }

private:
    void Append(const void* data, size_t length)
    {
        const auto* from = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), from, from + length);
        bytes_.resize(NLMSG_ALIGN(bytes_.size()));
    }
    Datagram& Close()
    {
        reinterpret_cast<nlmsghdr*>(bytes_.data() + start_)->nlmsg_len = static_cast<__u32>(bytes_.size() - start_);
        return *this;
    }
    std::vector<unsigned char> bytes_;
    size_t start_ = 0;
};

unix_diag_msg Socket(__u8 state, __u32 inode)
{
    unix_diag_msg socket = {};
    socket.udiag_family = AF_UNIX;
    socket.udiag_type = SOCK_STREAM;
    socket.udiag_state = state;
    socket.udiag_ino = inode;
    return socket;
}

constexpr __u8 kListen = 10, kEstablished = 1;  // the kernel's TCP_LISTEN and TCP_ESTABLISHED

}  // namespace

// A path keeps what comes before its terminating zero; an abstract name is written as /proc/net/unix writes it; the
// bound file's device comes in the kernel's own numbering, minor 300 included.
TEST(UnixSocketReaders, TheDiagnosticsAnswerTellsEachSocketWithItsNameAndBoundFile)
{
    const char path[] = "/dev/shm/jack_default_0";
    const char abstract[] = "\0jack\0x";
    const unix_diag_vfs file = {77, (0u << 20) | 300u};
    std::vector<UnixSocket> sockets;
    EXPECT_EQ(DiagnosticsPart::More, Datagram()
                                         .Message(SOCK_DIAG_BY_FAMILY, Socket(kListen, 4242))
                                         .Attribute(UNIX_DIAG_NAME, path, sizeof path)
                                         .Attribute(UNIX_DIAG_VFS, &file, sizeof file)
                                         .Message(SOCK_DIAG_BY_FAMILY, Socket(kEstablished, 4243))
                                         .Attribute(UNIX_DIAG_NAME, abstract, sizeof abstract - 1)
                                         .Message(NLMSG_NOOP, 0)
                                         .Read(sockets));
    ASSERT_EQ(2u, sockets.size());
    EXPECT_EQ(4242u, sockets[0].inode);
    EXPECT_TRUE(sockets[0].listening && sockets[0].diagnosed);
    EXPECT_EQ(path, sockets[0].path);
    EXPECT_EQ(300u, sockets[0].fileDevice);
    EXPECT_EQ(77u, sockets[0].fileInode);
    EXPECT_FALSE(sockets[1].listening);
    EXPECT_EQ("@jack@x", sockets[1].path);
    EXPECT_EQ(0u, sockets[1].fileDevice | sockets[1].fileInode);
    EXPECT_EQ(DiagnosticsPart::Done, Datagram().Message(NLMSG_DONE, 0).Read(sockets));
}

// A kernel without diagnostics for Unix sockets answers ENOENT; a dump that failed on the way ends with its error;
// bytes that overrun their datagram are no answer.
TEST(UnixSocketReaders, TheDiagnosticsAnswerIsRefusedWhenTheKernelHasNoneOrTheBytesOverrun)
{
    nlmsgerr noDiagnostics = {};
    noDiagnostics.error = -ENOENT;
    std::vector<UnixSocket> sockets;
    EXPECT_EQ(DiagnosticsPart::Refused, Datagram().Message(NLMSG_ERROR, noDiagnostics).Read(sockets));
    EXPECT_EQ(DiagnosticsPart::Refused, Datagram().Message(NLMSG_DONE, -EINTR).Read(sockets));
    EXPECT_EQ(DiagnosticsPart::Refused,
        Datagram().Message(SOCK_DIAG_BY_FAMILY, Socket(kListen, 1)).Overstated(4).Read(sockets));
    const unix_diag_vfs file = {};
    EXPECT_EQ(DiagnosticsPart::Refused, Datagram()
                                            .Message(SOCK_DIAG_BY_FAMILY, Socket(kListen, 1))
                                            .Attribute(UNIX_DIAG_VFS, &file, sizeof file, 4)
                                            .Read(sockets));
    EXPECT_EQ(DiagnosticsPart::Refused, platform::ReadSocketDiagnostics("", 0, sockets));
    EXPECT_TRUE(sockets.empty());
}

TEST(UnixSocketReaders, ProcNetUnixTellsTheSocketOfEachWholeLineAndWhetherItListens)
{
    const std::vector<UnixSocket> sockets = platform::ReadProcNetUnix(
        "Num       RefCount Protocol Flags    Type St Inode Path\n"
        "0000000000000000: 00000002 00000000 00010000 0001 01 31337 /dev/shm/jack_default_0\n"
        "0000000000000000: 00000003 00000000 00000000 0001 03 31338\n"
        "0000000000000000: 00000003 00000000 00000000 0001 03 31339 @/tmp/.X11-unix/X0\n"
        "0000000000000000: 00000002 00000000 00010000 0001");
    ASSERT_EQ(3u, sockets.size());
    EXPECT_TRUE(sockets[0].listening);
    EXPECT_EQ(31337u, sockets[0].inode);
    EXPECT_EQ("/dev/shm/jack_default_0", sockets[0].path);
    EXPECT_FALSE(sockets[1].listening || sockets[1].diagnosed);
    EXPECT_EQ("", sockets[1].path);
    EXPECT_EQ("@/tmp/.X11-unix/X0", sockets[2].path);
}

// On this machine: the socket listening on the server's socket file is the server, by its inode, whichever way the
// system's sockets were read; one only bound there is not.
TEST(UnixSocketReaders, TheServerIsTheSocketListeningOnItsSocketFile)
{
    const std::string path = platform::JackSocketPath(std::getenv("JACK_DEFAULT_SERVER"));
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    unlink(path.c_str());
    ASSERT_EQ(0, bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address));
    struct stat inode;
    ASSERT_EQ(0, fstat(server, &inode));
    EXPECT_EQ(0u, platform::ListeningJackServer(platform::UnixSockets()));
    ASSERT_EQ(0, listen(server, 1));
    const std::vector<UnixSocket> listening = platform::ListeningUnixSockets();
    EXPECT_EQ(inode.st_ino, platform::ListeningJackServer(listening));
    EXPECT_EQ(inode.st_ino, platform::ListeningJackServer(platform::UnixSockets()));
    for (const UnixSocket& socket : listening)
        EXPECT_TRUE(socket.listening && socket.diagnosed);
    close(server);
    unlink(path.c_str());
}

// A client's notification socket is told by its name, or by that name with the number JACK gives a second client of
// it; in both of JACK's namings.
TEST(UnixSocketReaders, AClientSocketIsNamedByItsClientOrThatNameNumbered)
{
    const char* set = std::getenv("JACK_PROMISCUOUS_SERVER");
    const std::string before = set ? set : "";
    for (bool shared : {false, true}) {
        if (shared)
            setenv("JACK_PROMISCUOUS_SERVER", "", 1);
        else
            unsetenv("JACK_PROMISCUOUS_SERVER");
        const std::string uid = shared ? "" : std::to_string(getuid()) + "_";
        const auto path = [&](const std::string& client) { return "/dev/shm/jack_" + client + "_" + uid + "0"; };
        EXPECT_TRUE(platform::IsJackClientSocket(path("RtMidi Output Client"), "RtMidi Output Client"));
        EXPECT_TRUE(platform::IsJackClientSocket(path("RtMidi Output Client-01"), "RtMidi Output Client"));
        EXPECT_TRUE(platform::IsJackClientSocket(path("a-b-12"), "a-b"));
        for (const char* other : {"RtMidi Output Client-", "RtMidi Output Client-0x", "RtMidi Output Clients",
                 "RtMidi Input Client", "RtMidi Output Client-01_0"})
            EXPECT_FALSE(platform::IsJackClientSocket(path(other), "RtMidi Output Client")) << other;
        EXPECT_FALSE(platform::IsJackClientSocket("/dev/shm/jack_RtMidi Output Client-01_1", "RtMidi Output Client"));
    }
    if (set)
        setenv("JACK_PROMISCUOUS_SERVER", before.c_str(), 1);
    else
        unsetenv("JACK_PROMISCUOUS_SERVER");
}
