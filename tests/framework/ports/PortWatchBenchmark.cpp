// The port watch's cost at rest: one look at the chosen ports as the watch
// makes it every 500 ms, on a private `jackd -d dummy` server whose only
// other client holds 8 idle MIDI ports each way (a few devices). A look is,
// for each direction, the watch's own port lister counting the system's
// ports, reading their names and finding the chosen one
// (MidiPortLister::FindPort, which on JACK first looks at the server). The
// argument is how many Unix sockets a child process holds open meanwhile,
// one in twenty listening (bound to an abstract name), the rest socketpair
// ends: a desktop has some 2,000, and a look that reads every socket of the
// system pays for each. CPU time is the looking thread's, the kernel's work
// for it included; watch_cpu_pct is that time as a share of one core at a
// look every 500 ms (the idle editor's watch thread). The figures mean
// something only from a Release build (-DCMAKE_BUILD_TYPE=Release).
#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/CoreMIDIRtMidi.h"
#include "support/JackMidiProbes.h"
#include "support/JackServer.h"

namespace {

// Seconds between two looks of the watch.
constexpr double kLookInterval = 0.5;

struct Studio {
    testsupport::JackServer server;
    testsupport::JackPortCrowd devices;
    std::unique_ptr<platform::MidiPortLister> listers[2];  // outputs, inputs
    std::string error;

    Studio()
    {
        if (!server.Start(&error) || !devices.Start("devices", 8, 8, &error))
            return;
        for (bool input : {false, true}) {
            listers[input] = platform::MidiPortLister::Create(input, "jack", "watch", &error);
            if (!listers[input])
                return;
        }
    }
    // Once for the whole program: the server and the devices stay up between runs.
    static Studio& Up()
    {
        static Studio studio;
        return studio;
    }
};

// Unix sockets held open by a child process while it lives, as other
// programs hold a desktop's: only what the look reads of the system pays
// for them, nothing this process keeps of its own.
class SocketCrowd {
public:
    explicit SocketCrowd(int count)
    {
        int ready[2], done[2];
        if (pipe(ready) != 0 || pipe(done) != 0)
            return;
        child_ = fork();
        if (child_ == 0) {
            close(ready[0]);
            close(done[1]);
            const int made = Make(count);
            if (write(ready[1], &made, sizeof made) == static_cast<ssize_t>(sizeof made))
                while (read(done[0], &count, 1) < 0) {
                }
            _exit(0);
        }
        close(ready[1]);
        close(done[0]);
        done_ = done[1];
        if (child_ < 0 || read(ready[0], &size_, sizeof size_) != static_cast<ssize_t>(sizeof size_))
            size_ = 0;
        close(ready[0]);
    }
    ~SocketCrowd()
    {
        close(done_);
        if (child_ > 0)
            waitpid(child_, nullptr, 0);
    }
    int Size() const { return size_; }

private:
    // In the child: one in twenty listening, bound to an abstract name, the
    // rest socketpair ends; how many it made. Nothing allocated after fork.
    static int Make(int count)
    {
        const int listening = count / 20;
        int made = 0;
        for (int i = 0; i < listening; ++i) {
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1, "zelto2x-bench-%d-%d",
                static_cast<int>(getpid()), i);
            const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (socket < 0 || bind(socket, reinterpret_cast<sockaddr*>(&address),
                                  static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length)) != 0
                || listen(socket, 1) != 0)
                return made;
            ++made;
        }
        for (; made + 1 < count; made += 2) {
            int pair[2];
            if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0)
                return made;
        }
        return made;
    }
    pid_t child_ = -1;
    int done_ = -1;
    int size_ = 0;
};

}  // namespace

static void BM_PortWatchLook(benchmark::State& state)
{
    Studio& studio = Studio::Up();
    if (!studio.listers[0] || !studio.listers[1]) {
        state.SkipWithError(studio.error.c_str());
        return;
    }
    const SocketCrowd crowd(static_cast<int>(state.range(0)));
    timespec began, ended;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &began);
    for (auto _ : state) {
        const int output = studio.listers[0]->FindPort("devices:in-5");
        const int input = studio.listers[1]->FindPort("devices:out-5");
        if (output < 0 || input < 0) {
            state.SkipWithError("a chosen port was not found");
            return;
        }
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ended);
    const double cpuSeconds = double(ended.tv_sec - began.tv_sec) + double(ended.tv_nsec - began.tv_nsec) * 1e-9;
    state.counters["unix_sockets"] = crowd.Size();
    state.counters["watch_cpu_pct"] = cpuSeconds / double(state.iterations()) / kLookInterval * 100;
}
BENCHMARK(BM_PortWatchLook)->Arg(0)->Arg(2000)->Unit(benchmark::kMicrosecond);
