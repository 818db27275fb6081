// The plug-in base: value paths, parameter state, presets, preset makers and
// dumps, VST program and bank files, and the audio pass.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "TestPlugin.h"

namespace {

// Three automatable parameters at 0.5, 0.25 and 1.0 of their ranges.
void setUp(TestPlugin& plug)
{
    plug.GetParam(0)->InitDouble("a", 0.0, 0.0, 2.0, 0.01);
    plug.GetParam(1)->InitInt("b", 0, 0, 4);
    plug.GetParam(2)->InitInt("c", 0, 0, 1);
    for (int idx = 0; idx < 3; ++idx)
        plug.GetParam(idx)->Set(1.0);
}

std::string hexOf(const ByteChunk& bytes, int from, int count)
{
    std::string text;
    char byte[4];
    for (int i = from; i < from + count && i < bytes.Size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", bytes.GetBytes()[i]);
        text += byte;
    }
    return text;
}

}  // namespace

TEST(PluginBase, GuiPathCallsTheCallbackUnderThePluginMutexOnlyForAChangeOrATextAndHardwarePathTheSecond)
{
    TestPlugin plug;
    plug.GetParam(0)->InitInt("i", 0, 0, 10);
    plug.GetParam(1)->InitText();
    plug.GetParam(2)->InitBool("b", false);
    plug.SetParameterFromGUI(0, 0.0);  // unchanged: the host hears of it, the callback does not
    EXPECT_TRUE(plug.changes.empty());
    ASSERT_EQ(plug.informed.size(), 1u);
    plug.SetParameterFromGUI(0, 0.5);
    plug.SetParameterFromGUI(1, 0.0);  // a text calls back though unchanged
    plug.SetParameterFromGUI2(2, 1.0);
    plug.SetParameterFromGUI(5, 1.0);  // bad indexes are ignored
    plug.SetParameterFromGUI2(-1, 1.0);
    EXPECT_EQ(plug.GetParam(0)->Value(), 5.0);
    EXPECT_EQ(plug.changes, (std::vector<int>{0, 1}));
    EXPECT_EQ(plug.hardwareChanges, std::vector<int>{2});
    EXPECT_EQ(plug.GetParam(5), nullptr);
    EXPECT_EQ(plug.informed.size(), 4u);
    EXPECT_TRUE(plug.lockedInEveryChange && !plug.GetMutex()->IsOwnedByCurrentThread());
}

TEST(PluginBase, ShortOrOutOfRangeParameterChunkClampsAndFailsAndANegativeStartIsHandedOn)
{
    TestPlugin plug(5, 5);
    for (int i = 0; i < 5; ++i) plug.GetParam(i)->InitDouble("d", 7.0, 1.0, 9.0, 0.5);
    ByteChunk chunk;
    for (double v : {2.0, 99.5, -3.0}) chunk.Put(&v);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
    std::vector<double> values;
    for (int i = 0; i < 5; ++i) values.push_back(plug.GetParam(i)->Value());
    EXPECT_EQ(values, (std::vector<double> {2.0, 9.0, 1.0, 1.0, 7.0}));  // the fourth's 0.0 clamped, the fifth untouched
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_EQ(plug.UnserializeParams(&chunk, -1), -1);
}

TEST(PluginBase, NonAutomatedParamsAreWrittenAsPlainDoubles)
{
    TestPlugin plug(3, 0);
    plug.GetParam(0)->Set(1.0);
    plug.GetParam(1)->Set(0.5);
    ByteChunk chunk;
    EXPECT_TRUE(plug.SerializeParams(&chunk));
    EXPECT_EQ(chunk.Size(), 0);  // nothing is automatable
    EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 2));
    EXPECT_EQ(hexOf(chunk, 0, 99), "00 00 00 00 00 00 F0 3F 00 00 00 00 00 00 E0 3F ");  // the whole chunk
    EXPECT_TRUE(plug.SerializeNonAutomatedParams(&chunk, 10));  // cut at the last parameter
    EXPECT_EQ(chunk.Size(), 40);
    EXPECT_EQ(plug.UnserializeNonAutomatedParams(&chunk, 0, 2), 16);
}

TEST(PluginBase, BlockLargerThanTheBlockSizeStaysInsideTheScratchBuffersAndSpareOutputsAreZeroed)
{
    TestPlugin plug(1, 1, "1-2");
    plug.SetBlockSize(2);
    plug.SetInputChannelConnections(0, 1, true);
    plug.SetOutputChannelConnections(0, 2, true);
    float in[8] = {1, 2, 3, 4, 5, 6, 7, 8}, out0[8] = {}, out1[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    float* ins[] = {in};
    float* outs[] = {out0, out1};
    plug.AttachInputBuffers(0, 1, ins, 8);
    plug.AttachOutputBuffers(0, 2, outs);
    plug.ProcessBuffers(0.0f, 8);
    EXPECT_EQ(out0[7], 8.0f);
    EXPECT_EQ(out1[0], 0.0f);
}

TEST(PluginBase, SendMidiMsgsReportsAnyFailedSend)
{
    TestPlugin plug;
    ROZ_TypedBuf<IMidiMsg> msgs;
    EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
    for (int data1 : {1, 0xFF, 3})
        msgs.Add(IMidiMsg(0, 0xB0, data1, 0));
    EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
    EXPECT_EQ(plug.sent, (std::vector<int>{1, 0xFF, 3}));
}

TEST(PluginBase, PresetsRestoreByNameOrIndexAndPruneKeepsTheInitialisedOnes)
{
    TestPlugin plug(2, 2, "2-2", 3);
    plug.GetParam(0)->InitInt("a", 4, 0, 10);
    EXPECT_TRUE(plug.MakeDefaultPreset("-", 2));
    EXPECT_STREQ(plug.GetPresetName(2), "empty");
    EXPECT_STREQ(plug.GetPresetName(9), "");
    plug.GetParam(0)->Set(9.0);
    EXPECT_TRUE(plug.RestorePreset("-"));
    EXPECT_EQ(plug.GetParam(0)->Value(), 4.0);
    EXPECT_FALSE(plug.RestorePreset(""));
    EXPECT_FALSE(plug.RestorePreset(3));
    plug.PruneUninitializedPresets();
    ASSERT_EQ(plug.NPresets(), 2);
    EXPECT_STREQ(plug.GetPresetName(1), "-");
}

// Layout of the published VST formats: every number big-endian, byteSize counting from fxMagic on.
TEST(PluginBase, ProgramFilesCarryParametersOrTheStateAndReadBackOnlyForThisPlugin)
{
    const struct {
        bool chunks;
        const char* header;  // chunkMagic, byteSize, fxMagic, version, fxID, fxVersion, numParams
        const char* body;    // after the 28-byte name
    } cases[] = {
        {false, "43 63 6E 4B 00 00 00 3C 46 78 43 6B 00 00 00 01 5A 6C 74 32 00 01 01 00 00 00 00 03 ",
            "3F 00 00 00 3E 80 00 00 3F 80 00 00 "},
        {true, "43 63 6E 4B 00 00 00 54 46 50 43 68 00 00 00 01 5A 6C 74 32 00 01 01 00 00 00 00 03 ",
            "00 00 00 20 74 66 66 70 00 00 01 00 00 00 00 00 00 00 F0 3F "},  // chunk size, "tffp", version, 1.0
    };
    for (const auto& c : cases) {
        TestPlugin plug(3, 3, "2-2", 1, c.chunks);
        setUp(plug);
        plug.MakeDefaultPreset("Lead", 1);
        ByteChunk fxp;
        ASSERT_TRUE(plug.MakeFXP(&fxp));
        EXPECT_EQ(hexOf(fxp, 0, 28), c.header);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(fxp.GetBytes()) + 28), "Lead");
        EXPECT_EQ(hexOf(fxp, 56, int(std::strlen(c.body)) / 3), c.body);
        EXPECT_EQ(fxp.Size(), 8 + int(fxp.GetBytes()[7]));

        TestPlugin other(3, 3, "2-2", 1, c.chunks);
        setUp(other);
        other.GetParam(1)->Set(3.0);
        ByteChunk foreign, cut;
        foreign.PutChunk(&fxp);
        foreign.GetBytes()[19] ^= 1;  // another plug-in's id
        cut.PutBytes(fxp.GetBytes(), fxp.Size() - 1);
        EXPECT_FALSE(other.ReadFXP(foreign) || other.ReadFXP(cut));
        EXPECT_EQ(other.GetParam(1)->Value(), 3.0);
        ASSERT_TRUE(other.ReadFXP(fxp));
        EXPECT_EQ(other.GetParam(1)->Value(), 1.0);
    }
}

TEST(PluginBase, BankFilesBringBackEveryPresetItsNameAndTheCurrentOne)
{
    for (bool chunks : {false, true}) {
        TestPlugin plug(3, 3, "2-2", 2, chunks);
        setUp(plug);
        plug.MakeDefaultPreset("one", 1);
        plug.GetParam(1)->Set(4.0);
        plug.MakeDefaultPreset("two", 1);
        ASSERT_TRUE(plug.RestorePreset(1));
        ByteChunk fxb;
        ASSERT_TRUE(plug.MakeFXB(&fxb));
        EXPECT_EQ(hexOf(fxb, 8, 4), chunks ? "46 42 43 68 " : "46 78 42 6B ");
        EXPECT_EQ(hexOf(fxb, 24, 8), "00 00 00 02 00 00 00 01 ");  // two programs, the second current

        TestPlugin other(3, 3, "2-2", 2, chunks);
        setUp(other);
        ASSERT_TRUE(other.ReadFXB(fxb)) << chunks;
        EXPECT_EQ(std::tuple(std::string(other.GetPresetName(0)) + other.GetPresetName(1), other.GetCurrentPresetIdx(),
                             other.GetParam(1)->Value()), std::tuple("onetwo", 1, 4.0));
        ASSERT_TRUE(other.RestorePreset(0));
        EXPECT_EQ(other.GetParam(1)->Value(), 1.0);
    }
}

TEST(PluginBase, PresetMakersKeepTheCurrentValuesAndDumpsMakeTheSamePresetAgain)
{
    TestPlugin plug(3, 3, "2-2", 4);
    setUp(plug);
    EXPECT_TRUE(plug.MakePreset("all", 1.5, 2, 0));
    EXPECT_TRUE(plug.MakePresetFromNamedParams("named", 1, 1, 3));
    EXPECT_FALSE(plug.MakePresetFromNamedParams("bad", 1, 7, 3));
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);  // the current values stay
    for (const auto& [preset, b] : {std::pair(0, 2.0), std::pair(1, 3.0)}) {
        ASSERT_TRUE(plug.RestorePreset(preset));
        EXPECT_EQ(plug.GetParam(1)->Value(), b);
    }
    EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);  // the named preset's default

    const std::string file = testing::TempDir() + "presets.txt";
    std::remove(file.c_str());
    const char* names[] = {"kA", "kB", "kC"};
    ASSERT_TRUE(plug.DumpPresetSrcCode(file.c_str(), names) && plug.DumpPresetBlob(file.c_str()));
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    std::remove(file.c_str());
    const std::string code = "  MakePresetFromNamedParams(\"named\", 3,\n    kA, 0.000000,\n    kB, 3,\n    kC, 0);\n";
    ASSERT_EQ(text.str().substr(0, code.size()), code);
    const std::string blobLine = text.str().substr(code.size());
    const size_t start = blobLine.find("\", \"") + 4, end = blobLine.find('"', start);
    EXPECT_EQ(blobLine.substr(0, start), "  MakePresetFromBlob(\"named\", \"");
    EXPECT_EQ(blobLine.substr(end), "\", 24);\n");
    ASSERT_TRUE(plug.MakePresetFromBlob("again", blobLine.substr(start, end - start).c_str(), 24));
    EXPECT_FALSE(plug.MakePresetFromBlob("short", blobLine.substr(start, end - start).c_str(), 23));
    EXPECT_TRUE(plug.RestorePreset("again"));
    EXPECT_EQ(plug.GetParam(1)->Value(), 3.0);
}

TEST(PluginBase, StereoLimitDisconnectsTheChannelsAfterTheFirstTwo)
{
    TestPlugin plug(1, 1, "4-4");
    plug.SetInputChannelConnections(0, 4, true);
    plug.SetOutputChannelConnections(0, 4, true);
    plug.LimitToStereoIO();
    EXPECT_TRUE(plug.IsInChannelConnected(1) && plug.IsOutChannelConnected(1));
    EXPECT_FALSE(plug.IsInChannelConnected(2) || plug.IsOutChannelConnected(3));
}
