// The host program end to end: it loads a bundle, runs a script and reports failures as answers. Uses the real
// bundle for its state round trip, its menus and refused states and its close on a stop signal, and one whose module
// lacks the entry.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Base64.h"
#include "support/Subprocess.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct HostRun {  // standard output, answers only; all of standard error
    std::vector<std::string> answers;
    std::string errors;
    int exitCode = -1;
};

// Named by process and emptied at its first use: what an earlier process of the same number left (its LOG switch
// file) must not reach this one.
fs::path scratchDir()
{
    static const fs::path dir = [] {
        const fs::path path = fs::temp_directory_path() / ("zelto2x-host-test-" + std::to_string(getpid()));
        fs::remove_all(path);
        fs::create_directories(path / "data");
        return path;
    }();
    return dir;
}

HostRun runHost(const std::string& bundle, const std::string& script, const std::string& environment = "")
{
    const fs::path dir = scratchDir(), scriptFile = dir / "script.txt", errorFile = dir / "stderr.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = environment + " ZELTO2X_DATA_FOLDER='" + (dir / "data").string() +
        "' '" ZELTO2X_HOST_PROGRAM "' --no-realtime --script '" + scriptFile.string() + "' '" + bundle + "' 2>'" +
        errorFile.string() + "'";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    for (char line[4096]; pipe && std::fgets(line, sizeof line, pipe);)
        run.answers.push_back(std::string(line).substr(0, std::strcspn(line, "\n")));
    const int status = pipe ? pclose(pipe) : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = (std::stringstream() << std::ifstream(errorFile).rdbuf()).str();
    return run;
}

std::string inScratch(const char* name) { return (scratchDir() / name).string(); }

TEST(HostProgram, MissingBundleOrEntryIsReportedAndTheProgramEnds)
{
    const std::string nowhere = inScratch("Nowhere.component");
    for (const auto& [bundle, answerStart] :
         {std::pair<std::string, std::string> {nowhere, "error -43 bundle not found: " + nowhere},
          {NO_ENTRY_BUNDLE, "error -2812 entry not found: Zelto2X_Entry"}}) {
        const HostRun run = runHost(bundle, "param 0\n");
        EXPECT_EQ(std::pair(1, Lines {answerStart}), std::pair(run.exitCode, run.answers)) << bundle;
    }
}

// 273 is the MIDI output menu: "OFF" is its first entry wherever the tests run. Window pixel (202, 281) is the
// oscillator 1 WAVE menu, parameter 6 its shape: the menu answer after the click waits for the next menu. The LOG
// switch file decides whether the editor logs; its LOG lines, like every print of the plug-in (the cutoff knob's
// too), go to standard error, so a script reader sees its answers alone.
TEST(HostProgram, RealBundleSetsMenusByEntryNameNotesAMenuAnswerAfterTheClickAndLogsOnlyWithTheSwitchFileApart)
{
    for (bool switchedOn : {false, true}) {
        if (switchedOn)
            std::ofstream {scratchDir() / "data" / "Zelto2X Editor LOG.txt"};
        const HostRun run = runHost(REAL_BUNDLE, "set 273 OFF\nparam 273\nset 273 Zelto 9 In:MIDI In\nopenview\n"
            "click 202 281\nmenu SAW UNISON\nparam 6\nset 40 0.5\nquit\n", "ZELTO2X_HEADLESS=1");
        EXPECT_EQ((Lines {"ok", "ok 0", "error -50 parameter 273 has no entry Zelto 9 In:MIDI In", "ok headless", "ok",
                      "ok", "ok 0", "ok", "ok"}),
            run.answers);
        const size_t note = run.errors.find("note: a popup menu opened with no answer queued");  // the only note
        EXPECT_TRUE(note != std::string::npos && note == run.errors.find("note: ") &&
            run.errors.find("note: ", note + 1) == std::string::npos) << run.errors;
        EXPECT_EQ(switchedOn, run.errors.find("Build LOG") != std::string::npos) << run.errors;
        EXPECT_EQ(switchedOn, run.errors.find("Build LOG: \t INITIALIZATION STARTED!\n") != std::string::npos);
    }
}

// SIGINT or SIGTERM, and the other one at once after it (as a session script's SIGTERM follows the user's Ctrl-C),
// end the host as closing its window does: the script that waits for its next line stops, the plug-in is closed (its
// bank still UNSAVED is kept in "Recovered Banks"), and the exit code names one of them. The render thread runs,
// so any thread may be the one the signal comes to.
TEST(HostProgram, StopSignalsCloseThePlugInAsClosingTheWindowDoes)
{
    for (const auto& [first, second] : {std::pair(SIGINT, SIGTERM), std::pair(SIGTERM, SIGINT)}) {
        const fs::path data = scratchDir() / ("stopped-by-" + std::to_string(first));
        testsupport::Subprocess host;
        testsupport::Subprocess::Options options;
        options.argv = {ZELTO2X_HOST_PROGRAM, "--script", "-", REAL_BUNDLE};
        options.extraEnvironment = {"ZELTO2X_DATA_FOLDER=" + data.string() + "/", "ZELTO2X_HEADLESS=1"};
        options.pipeStdin = options.collectStdout = true;
        options.outputFile = (scratchDir() / "stopped-stderr.txt").string();
        std::string error;
        ASSERT_TRUE(host.Start(options, &error)) << error;
        host.WriteLine("set 207 1");  // kBankEditUnsaved: the librarian's bank is UNSAVED
        host.WriteLine("param 207");
        ASSERT_TRUE(host.Stdout().WaitFor([](const std::string& line) { return line == "ok 1"; },
            std::chrono::seconds(60)));
        host.Signal(first);
        host.Signal(second);
        const int status = host.WaitForExit(std::chrono::seconds(60));
        // Two signals sent at once may reach two threads in either order.
        EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 128 + first || WEXITSTATUS(status) == 128 + second))
            << first << ": " << status;
        EXPECT_EQ((Lines {"ok", "ok 1"}), host.Stdout().Lines());
        EXPECT_TRUE(fs::exists(data / "Recovered Banks" / "User Bank 1.syx")) << first;
    }
}

}  // namespace

// The script saves a state, loads one whose chunk lacks its last value, one whose chunk is another program's bytes, a
// file cut off in the middle of its text, another plug-in's preset, no XML, no file and a folder: all refused, and
// the editor keeps its values until its own state is loaded back.
TEST(HostProgram, SavedStateLoadsBackButFilesThatAreNotTheEditorsStateOrNotFilesAreRefused)
{
    const std::string preset = inScratch("editor-faults.aupreset");
    ASSERT_EQ(0, runHost(REAL_BUNDLE, "save " + preset + "\nquit\n").exitCode);
    const std::string xml((std::stringstream() << std::ifstream(preset).rdbuf()).str());
    const size_t open = xml.find("<data>") + 6, length = xml.find("</data>") - open;
    auto withData = [&](const std::vector<uint8_t>& data, const char* name) {
        const std::string encoded = host::EncodeBase64(data.data(), data.size());
        std::ofstream(inScratch(name)) << std::string(xml).replace(open, length, encoded);
        return inScratch(name);
    };
    std::vector<uint8_t> data;
    ASSERT_TRUE(host::DecodeBase64(xml.substr(open, length), &data));
    data.resize(data.size() - 8);  // the last stored value is missing
    const std::string foreign = "RIFF....WAVEfmt someone else's state, not the editor's";
    const std::string files[] = {withData(data, "editor-short.aupreset"),
        withData(std::vector<uint8_t>(foreign.begin(), foreign.end()), "editor-foreign.aupreset"),
        inScratch("editor-cut-off.aupreset"), inScratch("other.aupreset"), inScratch("garbage.aupreset"),
        inScratch("missing.aupreset"), scratchDir().string()};
    std::ofstream(files[2]) << xml.substr(0, xml.size() / 2);
    std::ofstream(files[3]) << std::string(xml).replace(xml.find("1450079281"), 10, "1450079282");
    std::ofstream(files[4]) << "MThd this is not a preset";
    std::string script = "set 0 1\nsave " + preset + "\n";  // its text is read: written again with the value 1
    for (const std::string& file : files)
        script += "load " + file + "\n";
    const HostRun run = runHost(REAL_BUNDLE, script + "param 0\nset 0 0\nload " + preset + "\nparam 0\nquit\n");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(14u, run.answers.size());
    Lines answers = run.answers;  // the refusals of the editor and of the file system end with details
    for (int i : {2, 3, 4, 7, 8})
        answers[i] = answers[i].substr(0, i < 5 ? 12 : 21);
    EXPECT_EQ((Lines {"ok", "ok " + preset, "error -10851", "error -10851", "error -10851",
                  "error -10851 the plug-in refused the state", "error -10851 not a state file: not XML",
                  "error -43 cannot read", "error -43 cannot read", "ok 1", "ok", "ok", "ok 1", "ok"}),
        answers);
}
