#include "support/SimulatedSynth.h"

#include <cstdlib>
#include <filesystem>

namespace testsupport {

namespace {

// The program in the build tree: ZELTO2X_BUILD_DIR, else the tree holding this test program.
std::string SimulatedSynthPath()
{
    const char* build = std::getenv("ZELTO2X_BUILD_DIR");
    if (build && *build)
        return std::string(build) + "/tools/zelto2-sim";
    std::error_code unreadable;
    const std::string path = std::filesystem::read_symlink("/proc/self/exe", unreadable).string();
    const size_t tests = path.rfind("/tests/");
    return (tests == std::string::npos ? std::string(".") : path.substr(0, tests)) + "/tools/zelto2-sim";
}

}  // namespace

bool SimulatedSynth::Start(std::string* error, std::vector<std::string> extraArgs, const std::string& name)
{
    name_ = name;
    Subprocess::Options options;
    options.argv = {SimulatedSynthPath(), "--name", name};
    options.argv.insert(options.argv.end(), extraArgs.begin(), extraArgs.end());
    options.pipeStdin = options.collectStdout = options.collectStderr = true;
    if (!process_.Start(options, error))
        return false;
    if (process_.Stderr().WaitFor(
            [](const std::string& line) { return line.rfind("zelto2-sim: ready", 0) == 0; }, kGenerousTimeout))
        return true;
    *error = "the simulated synth did not get ready:";
    for (const std::string& line : process_.Stderr().Lines())
        *error += "\n" + line;
    return false;
}

void SimulatedSynth::Stop(int signal)
{
    if (process_.Running())
        process_.Stop(signal, std::chrono::seconds(10));
}

std::vector<std::string> SimulatedSynth::Refusals() const
{
    std::vector<std::string> refusals;
    for (const std::string& line : process_.Stderr().Lines())
        if (line.rfind("zelto2-sim: refused", 0) == 0)
            refusals.push_back(line);
    return refusals;
}

}  // namespace testsupport
