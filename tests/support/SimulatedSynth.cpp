#include "support/SimulatedSynth.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>

namespace testsupport {

std::string SimulatedSynthPath()
{
    const char* build = std::getenv("ZELTO2X_BUILD_DIR");
    if (build && *build) {
        return std::string(build) + "/tools/zelto2-sim";
    }
    // Test programs live under <build>/tests/.
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, n > 0 ? static_cast<size_t>(n) : 0);
    const size_t tests = path.rfind("/tests/");
    return (tests == std::string::npos ? std::string(".") : path.substr(0, tests)) + "/tools/zelto2-sim";
}

bool SimulatedSynth::Start(std::string* error, std::vector<std::string> extraArgs, const std::string& name)
{
    name_ = name;
    Subprocess::Options options;
    options.argv = {SimulatedSynthPath(), "--name", name};
    options.argv.insert(options.argv.end(), extraArgs.begin(), extraArgs.end());
    options.pipeStdin = true;
    options.collectStdout = true;
    options.collectStderr = true;
    if (!process_.Start(options, error)) {
        return false;
    }
    const bool ready = process_.Stderr().WaitFor(
        [](const std::string& line) { return line.rfind("zelto2-sim: ready", 0) == 0; }, kGenerousTimeout);
    if (!ready) {
        *error = "the simulated synth did not get ready:";
        for (const std::string& line : process_.Stderr().Lines()) {
            *error += "\n" + line;
        }
    }
    return ready;
}

void SimulatedSynth::Stop()
{
    if (process_.Running()) {
        process_.CloseStdin();
        process_.Stop(0, std::chrono::seconds(10));
    }
}

std::vector<std::string> SimulatedSynth::Refusals() const
{
    std::vector<std::string> refusals;
    for (const std::string& line : process_.Stderr().Lines())
        if (line.rfind("zelto2-sim: refused", 0) == 0)
            refusals.push_back(line);
    return refusals;
}

bool SimulatedSynth::Send(const std::string& hex)
{
    return process_.WriteLine("send " + hex);
}

bool SimulatedSynth::WaitForReceived(const std::string& hex, std::chrono::milliseconds timeout) const
{
    return process_.Stdout().WaitFor([&](const std::string& line) { return line == hex; }, timeout);
}

}  // namespace testsupport
