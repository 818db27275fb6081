#include "support/JackServer.h"
#include "support/FileBytes.h"
#include "platform/JackMessages.h"
#include "platform/JackNames.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace testsupport {

namespace {

void Silent(const char*) {}

// libjack's messages after a probe, without stdio's lock (JackMessages.h).
void Plain(const char* text)
{
    platform::WriteLineWithoutStdio(STDERR_FILENO, text);
}

std::string ReadFile(const std::string& path)
{
    const std::vector<unsigned char> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Semaphores of clients that outlived their server (the editor's, when a
// test stops the server under it) stay until someone removes them.
void RemoveSemaphores(const std::string& name)
{
    const std::string prefix = platform::JackSemaphorePrefix(name);
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            std::filesystem::remove(entry.path(), ignored);
}

}  // namespace

// Where tests share /dev/shm (no mount namespace of their own, see
// TestIsolation.cpp), their servers take turns machine-wide: JACK names a
// client's socket by the client's name alone, so two tests' editors opening
// at once on two servers would take each other's socket, and JACK's registry
// there holds eight servers for every user of the machine.
bool JackServer::TakeServerSlot(std::string* error)
{
    const char* ownShm = std::getenv("ZELTO2X_TEST_OWN_SHM");
    if (ownShm && *ownShm == '1')
        return true;
    const char* path = "/tmp/zelto2x-jack-tests.lock";
    // Opened before created: another user's file in /tmp may not be opened with O_CREAT.
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (fd = open(path, O_RDONLY | O_CREAT | O_CLOEXEC, 0666)) >= 0)
        fchmod(fd, 0666);  // shared by every user
    int locked = -1;
    while (fd >= 0 && (locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        if (fd >= 0)
            close(fd);
        *error = std::string("cannot open and lock ") + path;
        return false;
    }
    slotFd_ = fd;
    return true;
}

bool JackServer::Start(std::string* error)
{
    // A name of this user and process, new for every start: clients the
    // editor still holds of an earlier server never reach the next one, and
    // a server the user runs is never touched.
    static int started = 0;
    name_ = "zelto2x-test-" + std::to_string(getuid()) + "-" + std::to_string(getpid()) + "-"
        + std::to_string(++started);
    return Launch(error, true);
}

bool JackServer::StartAgain(std::string* error)
{
    return Launch(error, false);
}

bool JackServer::Launch(std::string* error, bool probeHere)
{
    if (slotFd_ < 0 && !TakeServerSlot(error))
        return false;
    logPath_ = "/tmp/" + name_ + ".log";
    std::remove(logPath_.c_str());
    // A socket left under a reused process id must not pass for this server's.
    std::remove(platform::JackSocketPath(name_).c_str());
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
    // A test that dies lets its server end cleanly, giving back its registry entry.
    options.parentDeathSignal = SIGTERM;
    if (!jackd_.Start(options, error))
        return false;
    if (!WaitUntilAcceptingClients(error, probeHere)) {
        jackd_.Stop(SIGKILL, std::chrono::seconds(5));
        *error += "\njackd output:\n" + ReadFile(logPath_);
        return false;
    }
    return true;
}

bool JackServer::WaitUntilAcceptingClients(std::string* error, bool probeHere)
{
    // libjack can wedge when a client is opened while the server is still
    // coming up, so no client before the server's socket is there; on a
    // loaded machine the first clients may be refused for a while after.
    const std::string socket = platform::JackSocketPath(name_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    bool ready = false;
    while (!(ready = access(socket.c_str(), F_OK) == 0 && (probeHere ? HasPort("") : AcceptsAProcessOfItsOwn()))
        && jackd_.StillRunning()
        && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    jack_set_error_function(&Plain);
    jack_set_info_function(&Plain);
    if (!ready)
        *error = "JACK server " + name_ + " did not accept clients within 20 s";
    return ready;
}

bool JackServer::AcceptsAProcessOfItsOwn() const
{
    Subprocess check;
    Subprocess::Options options;
    options.argv = {"/usr/bin/jack_wait", "-s", name_, "-c"};
    options.collectStdout = true;
    std::string ignored;
    return check.Start(options, &ignored) && check.WaitForExit(std::chrono::seconds(10)) != -1
        && check.Stdout().WaitFor([](const std::string& line) { return line == "running"; }, std::chrono::seconds(1));
}

bool JackServer::HasPort(const std::string& fullName) const
{
    jack_status_t status;
    jack_client_t* probe = jack_client_open("zelto2x-probe",
        static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status, name_.c_str());
    if (!probe)
        return false;
    // An empty name only asks whether the server takes clients.
    const bool found = fullName.empty() || jack_port_by_name(probe, fullName.c_str()) != nullptr;
    jack_client_close(probe);
    return found;
}

void JackServer::Stop(int signal)
{
    if (jackd_.Running()) {
        if (!jackd_.StillRunning())
            std::fprintf(stderr, "jackd ended on its own; its output:\n%s\n", ReadFile(logPath_).c_str());
        jackd_.Stop(signal, std::chrono::seconds(10));
        RemoveSemaphores(name_);
        std::remove(logPath_.c_str());
    }
    if (slotFd_ >= 0)
        close(slotFd_);
    slotFd_ = -1;
}

}  // namespace testsupport
