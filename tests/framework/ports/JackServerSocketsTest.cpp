// The port layer following its JACK server where the kernel's word on the
// server's socket takes its less usual forms: a /dev/shm whose device minor
// is 256 or more (a host with many mounts), where the kernel's numbering of
// the socket file's device and st_dev's part ways; and a kernel without
// socket diagnostics for Unix sockets, where /proc/net/unix's paths alone
// must decide.

#include "JackPortFixture.h"
#include "WatchedPorts.h"

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/netlink.h>
#include <linux/seccomp.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>

namespace {

// Moves a fresh tmpfs whose device minor is 256 or more onto this process's
// /dev/shm. Anonymous device numbers are given out machine-wide, lowest free
// first, so tmpfs are stacked on a scratch folder until one gets such a
// number; the others go again. Only in a mount namespace of the test's own.
bool SharedMemoryOfAHighMinor()
{
    const char* own = std::getenv("ZELTO2X_TEST_OWN_SHM");
    char scratch[] = "/tmp/zelto2x-minor-XXXXXX";
    if (!own || *own != '1' || !mkdtemp(scratch))
        return false;
    bool high = false;
    for (int mounts = 0; mounts < 4096 && !high; ++mounts) {
        struct stat mounted;
        if (mount("tmpfs", scratch, "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") != 0 || stat(scratch, &mounted) != 0)
            break;
        high = minor(mounted.st_dev) >= 256;
    }
    high = high && mount(scratch, "/dev/shm", nullptr, MS_MOVE, nullptr) == 0;
    while (umount2(scratch, MNT_DETACH) == 0) {
    }
    rmdir(scratch);
    return high;
}

// From here on every thread of this process is refused the kernel's socket
// diagnostics, as a kernel without them (or a sandbox) refuses: a seccomp
// filter fails socket(AF_NETLINK, ..., NETLINK_SOCK_DIAG). The JACK server
// and the synth, started before, keep theirs.
bool RefuseSocketDiagnostics()
{
#if defined(__x86_64__)
    constexpr __u32 kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr __u32 kArchitecture = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 0, 4),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_NETLINK, 0, 2),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, NETLINK_SOCK_DIAG, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPROTONOSUPPORT),
    };
    sock_fprog program = {sizeof filter / sizeof filter[0], filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
        && syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &program) == 0
        && socket(AF_NETLINK, SOCK_RAW, NETLINK_SOCK_DIAG) < 0;
}

class ServerSocketsJackPortTest : public JackPortTest {
protected:
    // The server stops under both open ports and a server of its name comes back with the synth: the watch tells
    // each port gone, then opens it again, and MIDI flows both ways.
    void ExpectTheWatchToFollowARestart()
    {
        ConnectToSynth();
        Watched watched {*plug};
        watched.watch();
        ASSERT_NO_FATAL_FAILURE(ExpectToldGoneAndBackAcrossAServerRestart(*plug, server, synth, watched));
        EXPECT_TRUE(WaitUntilOutputFlows(synth));
        EXPECT_TRUE(WaitUntilInputFlows());
    }
};

class HighMinorShmJackPortTest : public ServerSocketsJackPortTest {
protected:
    void SetUp() override
    {
        if (!SharedMemoryOfAHighMinor())
            GTEST_SKIP() << "no mount namespace of the test's own for a /dev/shm of another device";
        ServerSocketsJackPortTest::SetUp();
    }
};

}  // namespace

TEST_F(HighMinorShmJackPortTest, TheServerIsFollowedWhereItsSocketFilesDeviceMinorIsAbove255)
{
    ExpectTheWatchToFollowARestart();
}

TEST_F(ServerSocketsJackPortTest, TheServerIsFollowedByItsSocketPathWhereTheKernelGivesNoSocketDiagnostics)
{
    if (!RefuseSocketDiagnostics())
        GTEST_SKIP() << "no seccomp filter to refuse socket diagnostics here";
    ExpectTheWatchToFollowARestart();
}
