#pragma once
// A private JACK server for one test: `jackd -d dummy` under a name of this
// user and this test process alone, without real-time scheduling (works as
// root and as a normal user). Start() points this process (and every child it
// starts) at the server through JACK_DEFAULT_SERVER and returns once the
// server accepts clients; a server the user runs, under any name, is never
// touched. Stop() or the destructor ends it.

#include <signal.h>

#include <string>

#include "support/Subprocess.h"

namespace testsupport {

class JackServer {
public:
    ~JackServer() { Stop(); }
    bool Start(std::string* error);
    // A stopped server started again under the name it had, as a user
    // restarts theirs: the clients of the earlier one find a server of their
    // server's name. It is asked whether it takes clients from a process of
    // its own: a client this process opened now, after its server went
    // away, would have libjack free every other client of the process.
    bool StartAgain(std::string* error);
    // SIGKILL stops it as a crash would, at once.
    void Stop(int signal = SIGTERM);
    const std::string& Name() const { return name_; }
    // True while a port of that full name ("client:port") exists.
    bool HasPort(const std::string& fullName) const;

private:
    bool TakeServerSlot(std::string* error);
    bool Launch(std::string* error, bool probeHere);
    bool WaitUntilAcceptingClients(std::string* error, bool probeHere);
    bool AcceptsAProcessOfItsOwn() const;
    int slotFd_ = -1;
    std::string name_, logPath_;
    Subprocess jackd_;
};

}  // namespace testsupport
