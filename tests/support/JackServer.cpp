#include "support/JackServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

// Test servers running at once on this machine where tests share /dev/shm.
// JACK's registry there, shared by every server of every user, holds eight;
// the rest stay for the user's own servers. Client opens on one server may
// still fail now and then while a client of the same name opens on another
// (JACK names a client's socket by the client's name alone).
constexpr int kServerSlots = 5;
constexpr auto kStartDeadline = std::chrono::seconds(60);

void Silent(const char*) {}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Uid()
{
    return std::to_string(getuid());
}

// "zelto2x-test-UID-PID-N": the owner's process id tells a server left by
// a test that died from one still in use.
std::string NamePrefix()
{
    return "zelto2x-test-" + Uid() + "-";
}

std::string SocketPath(const std::string& name)
{
    return "/dev/shm/jack_" + name + "_" + Uid() + "_0";
}

void WaitUntilGone(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (kill(pid, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// A jackd still running under the name, or 0.
pid_t ServerProcess(const std::string& name)
{
    const std::string wanted = std::string("-n") + '\0' + name + '\0';
    pid_t found = 0;
    DIR* proc = opendir("/proc");
    if (!proc) {
        return 0;
    }
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        std::ifstream cmdline("/proc/" + std::string(entry->d_name) + "/cmdline", std::ios::binary);
        const std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        if (pid > 0 && args.find("jackd") != std::string::npos && args.find(wanted) != std::string::npos) {
            found = pid;
            break;
        }
    }
    closedir(proc);
    return found;
}

// A server killed hard keeps its entry in JACK's registry and its files in
// /dev/shm (a 100 MB segment among them). JACK gives both back only when a
// server of the same name starts and ends cleanly, so one does.
void Reclaim(const std::string& name)
{
    if (const pid_t orphan = ServerProcess(name)) {
        kill(orphan, SIGTERM);
        WaitUntilGone(orphan, std::chrono::seconds(5));
        kill(orphan, SIGKILL);
    }
    if (access(SocketPath(name).c_str(), F_OK) != 0) {
        return;
    }
    // The registry entry is taken back at registration, before the new socket.
    std::remove(SocketPath(name).c_str());
    Subprocess jackd;
    Subprocess::Options options;
    options.argv = {"/usr/bin/jackd", "-r", "-n", name, "-d", "dummy", "-p", "128"};
    options.parentDeathSignal = SIGTERM;
    std::string ignored;
    if (!jackd.Start(options, &ignored)) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (access(SocketPath(name).c_str(), F_OK) != 0 && jackd.StillRunning()
        && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    jackd.Stop(SIGTERM, std::chrono::seconds(5));
}

// Files a server and its clients leave in /dev/shm: "jack_NAME_UID_0" (the
// socket), "jack_sem.UID_NAME_CLIENT". Our names hold no '_'.
std::vector<std::pair<std::string, std::string>> ShmFilesOf(const std::string& namePrefix)
{
    std::vector<std::pair<std::string, std::string>> found;  // file, server name
    DIR* shm = opendir("/dev/shm");
    if (!shm) {
        return found;
    }
    for (const std::string& marker : {std::string("jack_"), "jack_sem." + Uid() + "_"}) {
        rewinddir(shm);
        while (dirent* entry = readdir(shm)) {
            const std::string file = entry->d_name;
            if (file.rfind(marker + namePrefix, 0) == 0) {
                const std::string rest = file.substr(marker.size());
                found.emplace_back(file, rest.substr(0, rest.find('_')));
            }
        }
    }
    closedir(shm);
    return found;
}

// Semaphores of clients that outlived their server (the editor's, when a
// test stops the server under it) stay until someone removes them.
void RemoveSemaphores(const std::string& name)
{
    for (const auto& [file, server] : ShmFilesOf(name)) {
        if (server == name && file.rfind("jack_sem.", 0) == 0) {
            std::remove(("/dev/shm/" + file).c_str());
        }
    }
}

int OpenShared(const std::string& path)
{
    // Opened before created: a file another user made in /tmp may not be
    // opened with O_CREAT.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) {
        return fd;
    }
    const int created = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (created >= 0) {
        fchmod(created, 0666);
    }
    return created;
}

// Servers whose test process has ended, one cleaner at a time.
void ReclaimLeftovers()
{
    const int lock = OpenShared("/tmp/zelto2x-jack-reclaim.lock");
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        if (lock >= 0) {
            close(lock);
        }
        return;
    }
    std::set<std::string> names;
    for (const auto& [file, server] : ShmFilesOf(NamePrefix())) {
        names.insert(server);
    }
    for (const std::string& name : names) {
        const pid_t owner = static_cast<pid_t>(std::atoi(name.c_str() + NamePrefix().size()));
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) {
            Reclaim(name);
            RemoveSemaphores(name);
        }
    }
    close(lock);
}

}  // namespace

JackServer::~JackServer()
{
    Stop();
}

bool JackServer::TakeServerSlot(std::string* error)
{
    for (;;) {
        for (int slot = 0; slot < kServerSlots; ++slot) {
            const std::string path = "/tmp/zelto2x-jack-slot-" + std::to_string(slot) + ".lock";
            const int fd = OpenShared(path);
            if (fd < 0) {
                *error = "cannot open " + path + ": " + std::strerror(errno);
                return false;
            }
            if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
                slotFd_ = fd;
                return true;
            }
            close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool JackServer::Start(std::string* error)
{
    if (jackd_.Running()) {
        *error = "JACK server " + name_ + " runs already";
        return false;
    }
    // A test with a /dev/shm of its own shares no registry or socket names
    // with other tests' servers (see TestIsolation.cpp).
    const char* ownShm = std::getenv("ZELTO2X_TEST_OWN_SHM");
    if (slotFd_ < 0 && !(ownShm && *ownShm == '1') && !TakeServerSlot(error)) {
        return false;
    }
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Clients in the tests never start a server of their own by accident.
    setenv("JACK_NO_START_SERVER", "1", 1);
    // A new name for every start: clients the editor still holds of an
    // earlier server never reach the next one.
    static int started = 0;
    name_ = NamePrefix() + std::to_string(getpid()) + "-" + std::to_string(++started);
    ReclaimLeftovers();
    const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
    while (!StartNamed(error)) {
        // The registry is full while other users' servers come and go.
        if (error->find("oo many servers") == std::string::npos || std::chrono::steady_clock::now() >= deadline) {
            ReleaseSlot();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        ReclaimLeftovers();
    }
    return true;
}

bool JackServer::StartNamed(std::string* error)
{
    logPath_ = "/tmp/" + name_ + ".log";
    std::remove(logPath_.c_str());
    // A socket left under a reused process id must not pass for this server's.
    std::remove(SocketPath(name_).c_str());
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);

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
    // A test that dies lets its server end cleanly, giving back its registry entry.
    options.parentDeathSignal = SIGTERM;
    if (!jackd_.Start(options, error)) {
        return false;
    }
    if (!WaitUntilAcceptingClients(error)) {
        if (jackd_.Stop(SIGTERM, std::chrono::seconds(5)) == -1) {
            Reclaim(name_);
        }
        *error += "\njackd output:\n" + ReadFile(logPath_);
        std::remove(logPath_.c_str());
        return false;
    }
    return true;
}

bool JackServer::WaitUntilAcceptingClients(std::string* error)
{
    // libjack can wedge when a client is opened while the server is still
    // coming up, so wait for the server's socket before the first client.
    const std::string socket = SocketPath(name_);
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

void JackServer::Stop()
{
    if (jackd_.Running()) {
        if (!jackd_.StillRunning()) {
            std::fprintf(stderr, "jackd ended on its own; its output:\n%s\n", ReadFile(logPath_).c_str());
        }
        if (jackd_.Stop(SIGTERM, std::chrono::seconds(10)) == -1) {
            Reclaim(name_);
        }
        RemoveSemaphores(name_);
        std::remove(logPath_.c_str());
    }
    ReleaseSlot();
}

void JackServer::ReleaseSlot()
{
    if (slotFd_ >= 0) {
        close(slotFd_);
        slotFd_ = -1;
    }
}

}  // namespace testsupport
