// Linked into every test, fuzz and benchmark program: before main runs, the
// program is kept apart from what its user owns, however it was started
// (ctest, by hand, from a shell where the user set up their own session).
//   - Its data folder is a fresh one under a temporary folder, removed at the
//     end: a library the user keeps in the default folder, or one named by
//     their own ZELTO2X_DATA_FOLDER, never changes what a test sees.
//   - No JACK client it opens reaches a server it did not start: the default
//     server name points nowhere (a JACK test's server sets its own name),
//     and no client starts a server of its own.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

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
    }
    ~TestIsolation()
    {
        // A forked child that ends through exit() must leave the folder to
        // the process that still works in it.
        if (root_.empty() || getpid() != owner_) {
            return;
        }
        std::error_code ignored;
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
