#include "support/JackServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace testsupport {

namespace {

void Silent(const char*) {}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// One name for every test server of this user: servers run one at a time
// (see TakeServerSlot), and JACK reclaims a registry entry left by a server
// that died only when the next server has the same name. Unique names would
// fill its eight entries after a few crashed or killed test runs ("Too many
// servers already active").
std::string SharedServerName()
{
    return "zelto2x-test-" + std::to_string(getuid());
}

// Whoever holds the server slot owns the shared name, so a server already
// running under it outlived the test that started it (killed before it could
// stop it): it goes, or every later test would find the name taken.
void KillStaleServers(const std::string& name)
{
    const std::string wanted = std::string("-n") + '\0' + name + '\0';
    DIR* proc = opendir("/proc");
    if (!proc) {
        return;
    }
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) {
            continue;
        }
        std::ifstream cmdline("/proc/" + std::string(entry->d_name) + "/cmdline", std::ios::binary);
        const std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (args.rfind("/usr/bin/jackd", 0) == 0 && args.find(wanted) != std::string::npos) {
            kill(pid, SIGKILL);
            for (int i = 0; i < 500 && kill(pid, 0) == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
    }
    closedir(proc);
}

}  // namespace

JackServer::~JackServer()
{
    Stop();
    ReleaseSlot();
}

// JACK keeps every server of a user in one shared registry, and clients of
// one server fail now and then to open while another server starts or stops.
// So test processes run their servers one at a time: each holds a lock file
// for the life of its server, and the next one waits for it.
bool JackServer::TakeServerSlot(std::string* error)
{
    const std::string path = "/tmp/zelto2x-jack-server-" + std::to_string(getuid()) + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = "cannot open " + path;
        return false;
    }
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            close(fd);
            *error = "cannot lock " + path;
            return false;
        }
    }
    slotFd_ = fd;
    return true;
}

bool JackServer::Start(std::string* error)
{
    if (slotFd_ < 0 && !TakeServerSlot(error)) {
        return false;
    }
    name_ = SharedServerName();
    KillStaleServers(name_);
    logPath_ = "/tmp/" + name_ + ".log";
    std::remove(logPath_.c_str());
    // A socket left by a server that died must not pass for the new one's.
    std::remove(SocketPath().c_str());
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Clients in the tests never start a server of their own by accident.
    setenv("JACK_NO_START_SERVER", "1", 1);

    Subprocess::Options options;
    // -r: no real-time scheduling. -S: synchronous mode, so the server waits
    // for a slow client (sanitizer builds) instead of dropping its MIDI.
    // Dummy driver cycles of 128 frames at 48 kHz (2.7 ms) keep MIDI quick.
    // On a busy machine libjack gives up on a client open that the server
    // answers late, so the server runs ahead of other work where it may (nice
    // only warns where it may not, and starts jackd all the same).
    options.argv = {"/usr/bin/nice", "-n", "-10", "/usr/bin/jackd", "-r", "-S", "-n", name_, "-t", "2000", "-d",
        "dummy", "-r", "48000", "-p", "128", "-w", "2667", "-C", "0", "-P", "0"};
    options.outputFile = logPath_;
    if (!jackd_.Start(options, error)) {
        return false;
    }
    if (!WaitUntilAcceptingClients(error)) {
        jackd_.Stop(SIGKILL, std::chrono::seconds(5));
        *error += "\njackd output:\n" + ReadFile(logPath_);
        return false;
    }
    return true;
}

bool JackServer::WaitUntilAcceptingClients(std::string* error)
{
    // libjack can wedge when a client is opened while the server is still
    // coming up, so wait for the server's socket before the first client.
    const std::string socket = SocketPath();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (access(socket.c_str(), F_OK) != 0) {
        if (std::chrono::steady_clock::now() >= deadline || !jackd_.StillRunning()) {
            *error = "JACK server " + name_ + " did not come up within 20 s";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    // Same deadline: on a loaded machine the first clients may be refused
    // for a while after the socket appears.
    bool ready = HasPort("");
    while (!ready && std::chrono::steady_clock::now() < deadline && jackd_.StillRunning()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ready = HasPort("");
    }
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    if (!ready) {
        *error = "JACK server " + name_ + " did not accept clients";
    }
    return ready;
}

std::string JackServer::SocketPath() const
{
    return "/dev/shm/jack_" + name_ + "_" + std::to_string(getuid()) + "_0";
}

bool JackServer::HasPort(const std::string& fullName) const
{
    jack_status_t status;
    jack_client_t* probe = jack_client_open("zelto2x-probe",
        static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status, name_.c_str());
    if (!probe) {
        return false;
    }
    // An empty name only asks whether the server takes clients.
    const bool found = fullName.empty() || jack_port_by_name(probe, fullName.c_str()) != nullptr;
    jack_client_close(probe);
    return found;
}

// The slot stays ours until the server object goes: a test that stops its
// server while the editor's clients still live would otherwise let the next
// test's server take the shared name, and closing those stale clients later
// would talk to that server.
void JackServer::Stop()
{
    if (!jackd_.Running())
        return;
    if (!jackd_.StillRunning())
        std::fprintf(stderr, "jackd ended on its own; its output:\n%s\n", ReadFile(logPath_).c_str());
    jackd_.Stop(SIGTERM, std::chrono::seconds(10));
    std::remove(logPath_.c_str());
}

void JackServer::ReleaseSlot()
{
    if (slotFd_ >= 0) {
        close(slotFd_);
        slotFd_ = -1;
    }
}

}  // namespace testsupport
