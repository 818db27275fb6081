// The script dispatcher: one answer per command line, commands from a table.
#include <gtest/gtest.h>

#include <sstream>

#include "ScriptCommands.h"

namespace {

class Script : public ::testing::Test {
protected:
    Script() { host::AddCoreCommands(commands, pluginHost); }

    host::PluginHost pluginHost;
    host::ScriptCommands commands;
};

TEST_F(Script, EachLineGetsItsAnswerAndBadArgumentsOrAMissingPlugInAreErrorsWithACode)
{
    const char* notAShortMessage = "error -50 a short message is a status byte and up to two data bytes";
    const std::pair<const char*, const char*> cases[] = {
        {"jump 3", "error -50 unknown command jump"}, {"set 1", "error -50 usage: set INDEX VALUE|TEXT"},
        {"render many", "error -50 usage: render BLOCKS"}, {"tempo 0", "error -50 usage: tempo BPM (above 0)"},
        {"midi 9G 3C", "error -50 usage: midi HEX... [@OFFSET]"}, {"param 0", "error -1 no plug-in open"},
        {"save /tmp/never.aupreset", "error -1 no plug-in open"}, {"tempo 128.5", "ok"}, {"play", "ok"},
        // MIDI bytes are checked before they are queued.
        {"midi 3C 40", notAShortMessage}, {"midi 90 3C 40 00", notAShortMessage}, {"midi 0x90 3c 64 @12", "ok"},
        {"midi F0 3E 16 00 F7", "ok"},
    };
    for (const auto& [line, expected] : cases) {
        std::string answer;
        EXPECT_TRUE(commands.runLine(line, &answer)) << line;
        EXPECT_EQ(expected, answer) << line;
    }
    std::vector<uint8_t> bytes;  // one or two hex digits each
    ASSERT_TRUE(host::ParseHexBytes({"F0", "0x7f", "1"}, &bytes));
    EXPECT_EQ((std::vector<uint8_t> {0xF0, 0x7F, 0x01}), bytes);
    EXPECT_FALSE(host::ParseHexBytes({"123"}, &bytes) || host::ParseHexBytes({}, &bytes));
}

TEST_F(Script, ScriptStopsAtQuitWithOneAnswerPerCommandAndNoneForBlankOrCommentLines)
{
    std::istringstream in("tempo 120\n\n   \n# a note\nplay\nquit\nstop\n");
    std::ostringstream out;
    EXPECT_EQ(0, commands.runScript(in, out));
    EXPECT_EQ("ok\nok\nok\n", out.str());
}

}  // namespace
