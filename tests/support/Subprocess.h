#pragma once
// A child process for tests: started with extra environment variables and
// optional pipes to its standard input, output and error; each output line
// is collected by a reader thread so a test can wait for it.

#include <signal.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// Lines read from one pipe, in order; waits are event-driven.
class LineCollector {
public:
    ~LineCollector() { Join(); }
    void Start(int fd);
    void Join()
    {
        if (thread_.joinable())
            thread_.join();
    }
    std::vector<std::string> Lines() const;
    // Waits until some line satisfies match (lines already read count); false after timeout.
    bool WaitFor(const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout) const
    {
        return WaitForLines([&](const auto& lines) { return std::any_of(lines.begin(), lines.end(), match); }, timeout);
    }
    // Waits until done holds for all lines read so far.
    bool WaitForLines(const std::function<bool(const std::vector<std::string>&)>& done,
        std::chrono::milliseconds timeout) const;

private:
    void Run(int fd);
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> lines_;
    bool closed_ = false;
    std::thread thread_;
};

class Subprocess {
public:
    struct Options {
        std::vector<std::string> argv, extraEnvironment;  // the environment's as "NAME=value"
        bool pipeStdin = false, collectStdout = false, collectStderr = false;
        std::string outputFile;  // stdout and stderr when not collected
        int parentDeathSignal = SIGKILL;  // what the child gets when the test dies
    };

    ~Subprocess() { Stop(SIGTERM, std::chrono::seconds(5)); }
    bool Start(const Options& options, std::string* error);
    bool WriteLine(const std::string& line);
    void CloseStdin();
    // Sends signal and waits up to timeout for the exit; then SIGKILL.
    // Returns the exit status as waitpid gives it, -1 when killed hard.
    int Stop(int signal, std::chrono::milliseconds timeout);
    // The same, standard input left open: what the child answers is the
    // signal (0: none), not the end of its input.
    void Signal(int signal)
    {
        if (pid_ > 0)
            kill(pid_, signal);
    }
    int WaitForExit(std::chrono::milliseconds timeout);
    bool Running() const { return pid_ > 0; }
    // Reaps the child when it has ended; false from then on.
    bool StillRunning();

    const LineCollector& Stdout() const { return stdout_; }
    const LineCollector& Stderr() const { return stderr_; }

private:
    bool WaitExit(std::chrono::milliseconds timeout, int* status);
    pid_t pid_ = -1;
    int stdinFd_ = -1;
    LineCollector stdout_, stderr_;
};

}  // namespace testsupport
