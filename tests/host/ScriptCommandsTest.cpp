// The script dispatcher: one answer per command line, commands from a table.
#include <gtest/gtest.h>

#include <sstream>

#include "ScriptCommands.h"

namespace {

class Script : public ::testing::Test {
protected:
    Script() { host::AddCoreCommands(commands, pluginHost); }

    std::string answer(const std::string& line)
    {
        std::string text;
        EXPECT_TRUE(commands.runLine(line, &text)) << line;
        return text;
    }

    host::PluginHost pluginHost;
    host::ScriptCommands commands;
};

TEST_F(Script, UnknownCommandsAndBadArgumentsAreErrorsWithACode)
{
    EXPECT_EQ("error -50 unknown command jump", answer("jump 3"));
    EXPECT_EQ("error -50 usage: set INDEX VALUE|TEXT", answer("set 1"));
    EXPECT_EQ("error -50 usage: render BLOCKS", answer("render many"));
    EXPECT_EQ("error -50 usage: tempo BPM (above 0)", answer("tempo 0"));
    EXPECT_EQ("error -50 usage: midi HEX... [@OFFSET]", answer("midi 9G 3C"));
}

TEST_F(Script, CommandsThatNeedAPlugInSayWhenNoneIsOpen)
{
    EXPECT_EQ("error -1 no plug-in open", answer("param 0"));
    EXPECT_EQ("error -1 no plug-in open", answer("save /tmp/never.aupreset"));
    EXPECT_EQ("ok", answer("tempo 128.5"));
    EXPECT_EQ("ok", answer("play"));
}

TEST_F(Script, MidiBytesAreOneOrTwoHexDigitsAndCheckedBeforeTheyAreQueued)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(host::ParseHexBytes({"F0", "0x7f", "1"}, &bytes));
    EXPECT_EQ((std::vector<uint8_t>{0xF0, 0x7F, 0x01}), bytes);
    EXPECT_FALSE(host::ParseHexBytes({"123"}, &bytes));
    EXPECT_FALSE(host::ParseHexBytes({}, &bytes));
    for (const char* line : {"midi 3C 40", "midi 90 3C 40 00"})
        EXPECT_EQ("error -50 a short message is a status byte and up to two data bytes", answer(line));
    EXPECT_EQ("ok", answer("midi 0x90 3c 64 @12"));
    EXPECT_EQ("ok", answer("midi F0 3E 16 00 F7"));
}

TEST_F(Script, ScriptStopsAtQuitWithOneAnswerPerCommandAndNoneForBlankOrCommentLines)
{
    std::string text;
    EXPECT_FALSE(commands.runLine("", &text));
    EXPECT_FALSE(commands.runLine("   ", &text));
    EXPECT_FALSE(commands.runLine("# a note", &text));
    std::istringstream in("tempo 120\n\n# skip\nplay\nquit\nstop\n");
    std::ostringstream out;
    EXPECT_EQ(0, commands.runScript(in, out));
    EXPECT_EQ("ok\nok\nok\n", out.str());
}

}  // namespace
