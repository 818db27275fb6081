#include "e2e/HostSession.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "Zelto2Protocol.h"

namespace e2e {

namespace fs = std::filesystem;

// The view reaches the surface at window pixel (x + 2, y + 3).
std::string HostSession::Line(const std::string& verb, At at, const std::string& rest)
{
    return verb + " " + std::to_string(at.x + 2) + " " + std::to_string(at.y + 3) + (rest.empty() ? "" : " " + rest);
}

Bytes SoundDump(int slot, const std::string& name, const std::vector<std::pair<int, uint8_t>>& changes)
{
    Bytes sound = zelto2sim::InitSound();
    for (const auto& [offset, value] : changes)
        sound[static_cast<size_t>(offset)] = value;
    for (size_t i = 0; i < 14; ++i)
        sound[120 + i] = static_cast<uint8_t>(i < name.size() ? name[i] : ' ');
    return zelto2sim::MakeSoundDump(sound, 0, slot < 0 ? zelto2sim::SoundAddress{true, 0}
                                                       : zelto2sim::SoundAddress{false, slot});
}

void HostSession::SetUp()
{
    char folder[] = "/tmp/zelto2x-e2e-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    scratch = folder;
    dataFolder = scratch + "/data";
    fs::create_directories(dataFolder);
    // Editor and synth meet on the private server whatever the machine offers.
    setenv("ZELTO2X_MIDI_API", "jack", 1);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
}

void HostSession::TearDown()
{
    if (host_.Running())
        QuitHost();
    // Every dump of the session passed the synth's device and checksum checks
    // (told on its standard error, read to the end once it stopped).
    synth.Stop();
    EXPECT_EQ(synth.Refusals(), std::vector<std::string> {});
    if (HasFailure()) {
        std::string said, received;
        for (const std::string& line : host_.Stdout().Lines())
            said += line + "\n";
        for (const std::string& line : synth.Received())
            received += line.substr(0, 60) + "\n";
        ADD_FAILURE() << "the host said:\n" << said << "the synth received:\n" << received;
    }
    server.Stop();
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
}

void HostSession::StartHost()
{
    testsupport::Subprocess::Options options;
    options.argv = {ZELTO2X_HOST_PROGRAM, "--script", "-", REAL_BUNDLE};
    options.extraEnvironment = {"ZELTO2X_DATA_FOLDER=" + dataFolder, "ZELTO2X_HEADLESS=1"};
    options.pipeStdin = options.collectStdout = true;
    std::string error;
    ASSERT_TRUE(host_.Start(options, &error)) << error;
    asked_ = 0;
    ASSERT_EQ(0u, Run("openview").rfind("ok", 0));
}

void HostSession::QuitHost()
{
    Run("quit");
    EXPECT_EQ(0, host_.Stop(0, kGenerousTimeout));
}

std::string HostSession::Run(const std::string& line)
{
    if (!host_.WriteLine(line))
        return "error (host gone)";
    const size_t wanted = ++asked_;
    std::string answer = "error (no answer to " + line + ")";
    host_.Stdout().WaitForLines([&](const std::vector<std::string>& lines) {
        size_t count = 0;
        for (const std::string& text : lines)
            if ((text == "ok" || text.rfind("ok ", 0) == 0 || text.rfind("error ", 0) == 0) && ++count == wanted)
                return answer = text, true;
        return false;
    }, kGenerousTimeout);
    return answer;
}

void HostSession::RunAll(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        EXPECT_EQ(0u, Run(line).rfind("ok", 0)) << line;
}

double HostSession::Param(int index)
{
    const std::string answer = Run("param " + std::to_string(index));
    return answer.rfind("ok ", 0) == 0 ? std::stod(answer.substr(3)) : -1e9;
}

bool HostSession::WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool held;
    while (!(held = done()) && std::chrono::steady_clock::now() <= deadline)
        Run("wait 20");
    return held;
}

std::vector<Bytes> DumpsIn(const std::vector<std::string>& lines)
{
    std::vector<Bytes> dumps;
    for (const std::string& line : lines)
        if (line.size() == 137 * 3 - 1 && line.rfind("F0 3E 16 ", 0) == 0 && line.compare(12, 2, "10") == 0)
            dumps.push_back(*zelto2sim::ParseHex(line));
    return dumps;
}

}  // namespace e2e
