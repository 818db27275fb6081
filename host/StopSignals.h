#pragma once
// SIGINT and SIGTERM end the host program as closing its window does: the
// script stops, the window loop returns, and the plug-in is closed, so its own
// shutdown runs (a bank still unsaved is kept). The handler only notes the
// signal, in a flag and a byte on a pipe, as a handler may; the main thread
// acts on it. Any later signal of the two is noted the same way, so a second
// Ctrl-C, or the SIGTERM a calling script sends after it, cannot cut the
// closing short.

#include <streambuf>

namespace host {

// Installs the handlers (main thread, before other threads start); false
// when they cannot be installed.
bool CatchStopSignals();
// The signal that asked the program to stop, or 0. Any thread.
int StopSignal();
inline bool StopRequested() { return StopSignal() != 0; }
// Sleeps that long, or less once a stop is asked for.
void SleepUnlessStopped(int milliseconds);

// Reads a file descriptor for the script, as a file or as a terminal or pipe
// that may keep it waiting; ends the input when a stop is asked for.
class StopAwareInput : public std::streambuf {
public:
    explicit StopAwareInput(int fd) : mFd(fd) {}

protected:
    int_type underflow() override;

private:
    int mFd;
    char mBuffer[4096];
};

}  // namespace host
