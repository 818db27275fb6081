#include "StopSignals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace host {

namespace {

std::atomic<int> gStopSignal {0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may only touch a lock-free flag");
// Never drained: once written, it stays readable and wakes every wait.
int gStopPipe[2] = {-1, -1};

void noteStop(int signal)
{
    const int savedErrno = errno;
    int none = 0;  // the first signal is the one the exit code names
    gStopSignal.compare_exchange_strong(none, signal);
    const char byte = 1;
    // Non-blocking: a full pipe wakes the waits all the same.
    if (write(gStopPipe[1], &byte, 1) < 0) {
    }
    errno = savedErrno;
}

// Waits for fd (or nothing, with -1) to be readable or a stop, at most
// timeoutMs (-1: no limit). True when fd is readable and no stop was asked.
bool waitForInput(int fd, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (StopRequested())
            return false;
        pollfd fds[2] = {{gStopPipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
        int left = -1;
        if (timeoutMs >= 0) {
            const auto rest = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            left = rest > 0 ? static_cast<int>(rest) : 0;
        }
        const int ready = poll(fds, fd >= 0 ? 2 : 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        if (fds[1].revents != 0 && !StopRequested())
            return true;
    }
}

}  // namespace

bool CatchStopSignals()
{
    if (gStopPipe[0] < 0 && pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    // The plug-in's threads (JACK's, the workers') go on as before; the waits
    // here watch the pipe instead of counting on an interrupted call.
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

int StopSignal() { return gStopSignal.load(); }

void SleepUnlessStopped(int milliseconds)
{
    if (milliseconds > 0)
        waitForInput(-1, milliseconds);
}

StopAwareInput::int_type StopAwareInput::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    for (;;) {
        if (!waitForInput(mFd, -1))
            return traits_type::eof();
        const ssize_t got = read(mFd, mBuffer, sizeof mBuffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return traits_type::eof();
        setg(mBuffer, mBuffer, mBuffer + got);
        return traits_type::to_int_type(*gptr());
    }
}

}  // namespace host
