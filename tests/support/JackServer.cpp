#include "support/JackServer.h"

#include <jack/jack.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

std::string UniqueServerName()
{
    static std::atomic<int> counter{0};
    return "zelto2x-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

JackServer::~JackServer()
{
    Stop();
}

bool JackServer::Start(std::string* error)
{
    name_ = UniqueServerName();
    logPath_ = "/tmp/" + name_ + ".log";
    std::remove(logPath_.c_str());
    setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Clients in the tests never start a server of their own by accident.
    setenv("JACK_NO_START_SERVER", "1", 1);

    Subprocess::Options options;
    // -r: no real-time scheduling; dummy driver cycles of 128 frames at
    // 48 kHz (2.7 ms) keep MIDI quick; a long client timeout tolerates the
    // slow sanitizer builds.
    options.argv = {"/usr/bin/jackd", "-r", "-n", name_, "-t", "2000", "-d", "dummy", "-r", "48000", "-p",
        "128", "-w", "2667", "-C", "0", "-P", "0"};
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
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < deadline) {
        jack_status_t status;
        jack_client_t* probe = jack_client_open("zelto2x-probe",
            static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status, name_.c_str());
        if (probe) {
            jack_client_close(probe);
            ready = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    if (!ready) {
        *error = "JACK server " + name_ + " did not accept clients within 20 s";
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
    const bool found = jack_port_by_name(probe, fullName.c_str()) != nullptr;
    jack_client_close(probe);
    return found;
}

void JackServer::Stop()
{
    if (jackd_.Running()) {
        jackd_.Stop(SIGTERM, std::chrono::seconds(10));
        std::remove(logPath_.c_str());
    }
}

}  // namespace testsupport
