// The port layer where libjack's opening and closing of a client goes wrong:
// a call that never returns (libjack can wait for ever for a lock that a
// thread it ended still holds) stops MIDI, never the threads that ask the
// port layer for something, and the plug-in still closes; a client the server
// refuses while it comes back is tried again, and what that refusal made go
// comes back with it.
//
// The stand-ins below take the library's calls to jack_client_open and
// jack_client_close for the plug-in's clients ("RtMidi ..."): they count the
// opens, refuse one, or hold the calls until released.

#include "JackPortFixture.h"
#include "WatchedPorts.h"

#include <dlfcn.h>
#include <jack/jack.h>

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

namespace {

struct ClientCalls {
    std::mutex mutex;
    std::condition_variable changed;
    int opens = 0;
    int refuseOpen = 0;  // the number of the open to refuse, 0: none
    bool holdOpens = false, holdCloses = false;
    int held = 0;  // calls waiting to be released

    // Waits, as a lock of libjack's would, until released.
    void WaitWhile(bool& holding)
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (!holding)
            return;
        ++held;
        changed.notify_all();
        changed.wait(lock, [&] { return !holding; });
        --held;
    }
    // false: the open is refused.
    bool Open()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (++opens == refuseOpen)
                return false;
        }
        WaitWhile(holdOpens);
        return true;
    }
    void Close() { WaitWhile(holdCloses); }
    int Opens()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return opens;
    }
    bool WaitUntilHeld()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kGenerousTimeout, [&] { return held > 0; });
    }
    void Hold(bool opens, bool closes)
    {
        std::lock_guard<std::mutex> lock(mutex);
        holdOpens = opens;
        holdCloses = closes;
        changed.notify_all();
    }
};

ClientCalls calls;

bool Ours(const char* name)
{
    return name && std::strncmp(name, "RtMidi ", 7) == 0;
}

// Runs call on a thread of its own; true when it returned within limit. A call that has not is let go on by releasing
// the held calls, so that the test ends.
bool ReturnsWithin(std::chrono::seconds limit, std::function<void()> call)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> returned = done->get_future();
    std::thread([call = std::move(call), done] {
        call();
        done->set_value();
    }).detach();
    if (returned.wait_for(limit) == std::future_status::ready)
        return true;
    calls.Hold(false, false);
    returned.wait();
    return false;
}

// Longer than the port layer waits for a JACK thread that sits on a lock, far shorter than for ever.
constexpr std::chrono::seconds kAnswersWithin {10};

class JackClientCallsTest : public JackPortTest {
protected:
    void TearDown() override
    {
        // What still waits in a held call ends before the test's server and synth go.
        calls.Hold(false, false);
        JackPortTest::TearDown();
    }
};

}  // namespace

extern "C" jack_client_t* jack_client_open(const char* name, jack_options_t options, jack_status_t* status, ...)
{
    static auto* const real = reinterpret_cast<jack_client_t* (*)(const char*, jack_options_t, jack_status_t*, ...)>(
        dlsym(RTLD_NEXT, "jack_client_open"));
    if (Ours(name) && !calls.Open()) {
        if (status)
            *status = static_cast<jack_status_t>(JackFailure | JackServerFailed);
        return nullptr;
    }
    if (!(options & JackServerName))
        return real(name, options, status);
    va_list arguments;
    va_start(arguments, status);
    const char* server = va_arg(arguments, const char*);
    va_end(arguments);
    return real(name, options, status, server);
}

extern "C" int jack_client_close(jack_client_t* client)
{
    static auto* const real = reinterpret_cast<int (*)(jack_client_t*)>(dlsym(RTLD_NEXT, "jack_client_close"));
    if (Ours(jack_get_client_name(client)))
        calls.Close();
    return real(client);
}

// The server comes back and the watch's first client open never returns: choosing a port, sending and taking the
// plug-in mutex still answer (the choice fails), and the plug-in closes.
TEST_F(JackClientCallsTest, AClientOpenThatNeverReturnsStopsMidiButNoCallerAndThePluginCloses)
{
    ConnectToSynth();
    {
        Watched watched {*plug};
        watched.watch();
        ASSERT_TRUE(StopTheServerUnder(watched, server, synth));
        calls.Hold(true, false);
        std::string error;
        ASSERT_TRUE(server.StartAgain(&error)) << error;
        ASSERT_TRUE(synth.Start(&error)) << error;
        ASSERT_TRUE(calls.WaitUntilHeld());
        PortTestPlugin& held = *plug;
        EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] {
            int out = 1;
            EXPECT_EQ(0, held.setExternalMIDIOut(out, synth.InputPortName().c_str()));
        }));
        EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] {
            IMidiMsg note(0, 0x90, 0x3C, 0x64);
            held.SendMidiMsg(&note);
            IMutexLock lock(&held);
        }));
        EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] { held.DestroyMidiPorts(); }));
    }
    EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] { plug.reset(); }));
}

// Closing the plug-in while libjack never returns from a client's close: it closes all the same, and a plug-in made
// after it lists no port rather than waiting.
TEST_F(JackClientCallsTest, AClientCloseThatNeverReturnsLetsThePluginCloseAndTheNextOneStart)
{
    ConnectToSynth();
    calls.Hold(false, true);
    EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] { plug.reset(); }));
    EXPECT_TRUE(ReturnsWithin(kAnswersWithin, [&] {
        PortTestPlugin next;
        EXPECT_EQ(std::vector<std::string> {"OFF"}, next.getExternalMIDIOutNames());
    }));
}

// A server that has just come back refuses the second client the port layer opens for it: that client is made again
// at a later look, the ones the refusal made go come back too, both ports open again and carry MIDI, and once they
// have, no look makes a client again.
TEST_F(JackClientCallsTest, AClientRefusedAsTheServerComesBackIsMadeAgainWithWhatTheRefusalMadeGo)
{
    ConnectToSynth();
    Watched watched {*plug};
    watched.watch();
    ASSERT_NO_FATAL_FAILURE(ExpectToldGoneAndBackAcrossAServerRestart(*plug, server, synth, watched, [&] {
        std::lock_guard<std::mutex> lock(calls.mutex);
        calls.refuseOpen = calls.opens + 2;
    }));
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    EXPECT_TRUE(WaitUntilInputFlows());
    const int opens = calls.Opens();
    size_t looks = 0;
    {
        std::lock_guard<std::mutex> lock(watched.mutex);
        looks = watched.looks.size();
    }
    ASSERT_TRUE(watched.waitFor([&] { return watched.looks.size() >= looks + 6; }));
    EXPECT_EQ(opens, calls.Opens()) << "clients made again after all were back";
}
