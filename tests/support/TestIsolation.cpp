// Linked into every test, fuzz and benchmark program: before main runs, the
// program is kept apart from what its user owns, however it was started
// (ctest, by hand, from a shell where the user set up their own session).
//   - Its data folder is a fresh one under a temporary folder, removed at the
//     end: a library the user keeps in the default folder, or one named by
//     their own ZELTO2X_DATA_FOLDER, never changes what a test sees.
//   - No JACK client it opens reaches a server it did not start: the default
//     server name points nowhere (a JACK test's server sets its own name),
//     and no client starts a server of its own.
//   - Where the system allows it, the program and its children get a /dev/shm
//     of their own. JACK keeps every server's socket, semaphores and registry
//     there and names a client's socket by the client's name alone, so two
//     tests' editors opening at once on two servers would take each other's
//     socket; apart, any number of test servers run at once, and whatever a
//     killed one leaves goes with the program.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

bool WriteProcFile(const char* path, const std::string& text)
{
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0)
        close(fd);
    return written;
}

// A mount namespace needs CAP_SYS_ADMIN, which a user namespace gives a
// normal user (mapped to their own ids, so files keep their owners). Runs
// before main, while the program has one thread, as unshare requires.
bool OwnSharedMemoryFolder()
{
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    if (unshare(CLONE_NEWNS) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        WriteProcFile("/proc/self/setgroups", "deny");
        if (!WriteProcFile("/proc/self/uid_map", uid + " " + uid + " 1")
            || !WriteProcFile("/proc/self/gid_map", gid + " " + gid + " 1"))
            return false;
    }
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && mount("tmpfs", "/dev/shm", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") == 0;
}

std::string TemporaryRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zelto2x-test-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

class TestIsolation {
public:
    TestIsolation() : owner_(getpid()), root_(TemporaryRoot())
    {
        // Without a temporary folder nothing can be private: no default
        // folder at all is safer than the user's.
        const std::string share = root_.empty() ? "/nonexistent-zelto2x-test" : root_ + "/share";
        setenv("XDG_DATA_HOME", share.c_str(), 1);
        unsetenv("ZELTO2X_DATA_FOLDER");
        setenv("JACK_DEFAULT_SERVER", ("zelto2x-no-server-" + std::to_string(owner_)).c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        // Read by the JACK test servers: apart, they need no share of the machine's.
        if (OwnSharedMemoryFolder())
            setenv("ZELTO2X_TEST_OWN_SHM", "1", 1);
        else
            unsetenv("ZELTO2X_TEST_OWN_SHM");
    }
    ~TestIsolation()
    {
        // A forked child that ends through exit() must leave the folder to
        // the process that still works in it.
        std::error_code ignored;
        if (!root_.empty() && getpid() == owner_)
            std::filesystem::remove_all(root_, ignored);
    }

private:
    pid_t owner_;
    std::string root_;
};

// Constructed before any test's own static objects may read the environment
// (init_priority runs it ahead of the default order).
TestIsolation isolation __attribute__((init_priority(101)));

}  // namespace
