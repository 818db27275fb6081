// The host program end to end: it loads a bundle, runs a script and reports failures as answers. Uses a bundle
// built over a placeholder plug-in for the state round trip, and the real bundle for its menus and refused states.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Base64.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct HostRun {  // standard output, answers only; the host's "note: ..." lines and all of standard error
    std::vector<std::string> answers, notes;
    std::string errors;
    int exitCode;
};

fs::path scratchDir()
{
    const fs::path dir = fs::temp_directory_path() / ("zelto2x-host-test-" + std::to_string(getpid()));
    fs::create_directories(dir / "data");
    return dir;
}

HostRun runHost(const std::string& bundle, const std::string& script, const std::string& environment = "")
{
    const fs::path dir = scratchDir();
    const fs::path scriptFile = dir / "script.txt", errorFile = dir / "stderr.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = environment + " ZELTO2X_DATA_FOLDER='" + (dir / "data").string() +
        "' '" ZELTO2X_HOST_PROGRAM "' --no-realtime --script '" + scriptFile.string() + "' '" + bundle + "' 2>'" +
        errorFile.string() + "'";
    HostRun run {{}, {}, {}, -1};
    FILE* pipe = popen(command.c_str(), "r");
    for (char line[4096]; pipe && std::fgets(line, sizeof line, pipe);)
        run.answers.push_back(std::string(line).substr(0, std::strcspn(line, "\n")));
    const int status = pipe ? pclose(pipe) : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = (std::stringstream() << std::ifstream(errorFile).rdbuf()).str();
    std::istringstream errors(run.errors);
    for (std::string line; std::getline(errors, line);)
        if (line.rfind("note: ", 0) == 0)
            run.notes.push_back(line);
    return run;
}

std::string inScratch(const char* name) { return (scratchDir() / name).string(); }

TEST(HostProgram, ScriptSetsSavesChangesLoadsAndReadsTheSavedValueBack)
{
    const std::string preset = inScratch("round-trip.aupreset");
    const HostRun run = runHost(PLACEHOLDER_BUNDLE, "set 3 42\nsave " + preset + "\nset 3 7\nparam 3\nload " + preset +
                                                    "\nparam 3\nquit\n");
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ((Lines {"ok", "ok " + preset, "ok", "ok 7", "ok", "ok 42", "ok"}), run.answers);
}

TEST(HostProgram, MissingBundleOrEntryIsReportedAndTheProgramEnds)
{
    const std::string nowhere = inScratch("Nowhere.component");
    for (const auto& [bundle, answerStart] :
         {std::pair<std::string, std::string> {nowhere, "error -43 bundle not found: " + nowhere},
          {NO_ENTRY_BUNDLE, "error -2812 entry not found: Zelto2X_Entry"}}) {
        const HostRun run = runHost(bundle, "param 0\n");
        EXPECT_EQ(1, run.exitCode) << bundle;
        EXPECT_EQ(Lines {answerStart}, run.answers) << bundle;
    }
}

TEST(HostProgram, StateFilesThatAreNotOursAreRefused)
{
    const std::string other = inScratch("other.aupreset"), garbage = inScratch("garbage.aupreset");
    std::ofstream(other) << "<plist><dict><key>version</key><integer>1</integer><key>type</key><integer>"
                            "1635085685</integer><key>subtype</key><integer>1</integer><key>manufacturer</key>"
                            "<integer>1450079281</integer><key>name</key><string>x</string><key>data</key>"
                            "<data></data></dict></plist>";
    std::ofstream(garbage) << "MThd this is not a preset";
    const HostRun run = runHost(PLACEHOLDER_BUNDLE,
                                "set 1 9\nload " + other + "\nload " + garbage + "\nload " +
                                    inScratch("missing.aupreset") + "\nload " + scratchDir().string() + "\nparam 1\n");
    ASSERT_EQ(6u, run.answers.size());  // the fourth load names a folder
    EXPECT_EQ((Lines {"error -10851 the plug-in refused the state", "error -10851 not a state file: not XML",
                  "error -43 cannot read", "error -43 cannot read", "ok 9"}),
              (Lines {run.answers[1], run.answers[2], run.answers[3].substr(0, 21), run.answers[4].substr(0, 21),
                  run.answers[5]}));
}

// 273 is the MIDI output menu: "OFF" is its first entry wherever the tests run. Window pixel (202, 281)
// is the oscillator 1 WAVE menu, parameter 6 its shape: the menu answer after the click waits for the next menu.
TEST(HostProgram, RealBundleSetsMenusByEntryNameAndNotesAMenuAnswerGivenAfterTheClick)
{
    const HostRun run = runHost(REAL_BUNDLE, "set 273 OFF\nparam 273\nset 273 Zelto 9 In:MIDI In\n"
        "openview\nclick 202 281\nmenu SAW UNISON\nparam 6\nquit\n", "ZELTO2X_HEADLESS=1");
    ASSERT_EQ(8u, run.answers.size());
    EXPECT_EQ((Lines {"ok", "ok 0", "error -50 parameter 273 has no entry Zelto 9 In:MIDI In", "ok 0"}),
              (Lines {run.answers[0], run.answers[1], run.answers[2], run.answers[6]}));
    ASSERT_EQ(1u, run.notes.size());
    EXPECT_EQ(0u, run.notes[0].find("note: a popup menu opened with no answer queued"));
}

// The LOG switch file decides whether the editor logs; its LOG lines, like every print of the plug-in, go to
// standard error, so a script reader sees its answers alone.
TEST(HostProgram, LogLinesOnlyWithTheSwitchFileAndNeverAmongTheAnswers)
{
    const fs::path logFile = scratchDir() / "data" / "Zelto2X Editor LOG.txt";
    for (bool switchedOn : {false, true}) {
        if (switchedOn)
            std::ofstream {logFile};
        const HostRun run = runHost(REAL_BUNDLE, "param 273\nset 40 0.5\nquit\n");  // the cutoff knob prints too
        EXPECT_EQ((Lines {"ok 0", "ok", "ok"}), run.answers) << switchedOn;
        EXPECT_EQ(switchedOn, run.errors.find("Build LOG") != std::string::npos) << run.errors;
        EXPECT_EQ(switchedOn, run.errors.find("Build LOG: \t INITIALIZATION STARTED!\n") != std::string::npos);
    }
}

}  // namespace

// A state whose chunk lacks its last value, a file cut off in the middle of its text, and one whose chunk is
// another program's bytes: all refused, and the editor keeps its own values.
TEST(HostProgram, RealBundleRefusesAStateCutShortOrForeignAndKeepsItsOwn)
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
    const std::string other = "RIFF....WAVEfmt someone else's state, not the editor's";
    const std::string files[] = {withData(data, "editor-short.aupreset"),
                                 withData(std::vector<uint8_t>(other.begin(), other.end()), "editor-foreign.aupreset"),
                                 inScratch("editor-cut-off.aupreset")};
    std::ofstream(files[2]) << xml.substr(0, xml.size() / 2);
    const HostRun run = runHost(REAL_BUNDLE,
        "set 0 1\nload " + files[0] + "\nload " + files[1] + "\nload " + files[2] + "\nparam 0\nquit\n");
    ASSERT_EQ(6u, run.answers.size());
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(0u, run.answers[i].rfind("error -10851", 0)) << run.answers[i];
    EXPECT_EQ("ok 1", run.answers[4]);
}
