// The port layer where the JACK server itself changes under the plug-in: it
// stops (a user restarting it with other settings, or a crash) and a server
// of its name starts again, and a server of its name listens in another
// /dev/shm (another mount namespace: a container's), which the machine's
// /proc/net/unix lists beside ours.

#include "JackPortFixture.h"
#include "WatchedPorts.h"

#include <fstream>
#include <sstream>

#include "platform/JackNames.h"

namespace {

// Listening sockets of the machine at that path, ours and those of other /dev/shm folders.
int ListeningAt(const std::string& path)
{
    std::ifstream table("/proc/net/unix");
    std::string line;
    int count = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, references, protocol, flags, type, state, inode, socketPath;
        fields >> slot >> references >> protocol >> flags >> type >> state >> inode >> socketPath;
        count += flags == "00010000" && socketPath == path;
    }
    return count;
}

// A server of `name` in a /dev/shm of its own; false where no mount namespace can be had for it.
bool StartNamesakeElsewhere(testsupport::Subprocess& jackd, const std::string& name)
{
    testsupport::Subprocess::Options options;
    options.argv = {"/usr/bin/unshare", "--mount", "--propagation", "private", "sh", "-c",
        "mount -t tmpfs -o mode=1777 tmpfs /dev/shm && exec jackd -r -n \"$0\" -d dummy -r 48000 -p 128", name};
    if (getuid() != 0)
        options.argv.insert(options.argv.begin() + 1, "--map-current-user");
    options.outputFile = "/dev/null";
    options.parentDeathSignal = SIGTERM;
    std::string error;
    if (!jackd.Start(options, &error))
        return false;
    const std::string path = platform::JackSocketPath(name);
    const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
    while (ListeningAt(path) < 2 && jackd.StillRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ListeningAt(path) >= 2;
}

}  // namespace

// The server stopped under both open ports is told as a port that goes; once a server of its name and the synth are
// back, the ports open again by themselves and carry MIDI both ways.
TEST_F(JackPortTest, ChosenPortsAreToldGoneWhenTheServerStopsAndOpenAgainOnceItIsBack)
{
    ConnectToSynth();
    Watched watched {*plug};
    watched.watch();
    ASSERT_NO_FATAL_FAILURE(ExpectToldGoneAndBackAcrossAServerRestart(*plug, server, synth, watched));
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    EXPECT_TRUE(WaitUntilInputFlows());
    std::lock_guard<std::mutex> lock(watched.mutex);
    EXPECT_EQ(4u, watched.changes.size());
}

// Without a watch: the ports chosen again once a server of that name is back open and carry MIDI both ways.
TEST_F(JackPortTest, PortsChosenAgainOnceTheServerIsBackCarryMidi)
{
    ConnectToSynth();
    server.Stop();
    synth.Stop();
    std::string error;
    ASSERT_TRUE(server.StartAgain(&error)) << error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    int in = 1, out = 1;
    EXPECT_GT(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    EXPECT_GT(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    EXPECT_TRUE(WaitUntilInputFlows());
}

// A namesake server elsewhere is never taken for ours: ours stopping is told while the namesake listens on, and once
// ours is back, the namesake going leaves our ports open, also when another plug-in opens its clients after that.
TEST_F(JackPortTest, ASameNamedServerInAnotherSharedMemoryFolderIsNeverTakenForOurs)
{
    testsupport::Subprocess namesake;
    if (!StartNamesakeElsewhere(namesake, server.Name()))
        GTEST_SKIP() << "no mount namespace for a /dev/shm of another server here";
    ConnectToSynth();
    Watched watched {*plug};
    watched.watch();
    ASSERT_NO_FATAL_FAILURE(ExpectToldGoneAndBackAcrossAServerRestart(*plug, server, synth, watched));
    namesake.Stop(SIGTERM, kGenerousTimeout);
    auto second = std::make_unique<PortTestPlugin>();
    second->getExternalMIDIInNames();
    second->getExternalMIDIOutNames();
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    EXPECT_TRUE(WaitUntilInputFlows());
    std::lock_guard<std::mutex> lock(watched.mutex);
    EXPECT_EQ(4u, watched.changes.size()) << "our ports were told gone with the namesake";
}
