// The plug-in base: value paths, parameter state, presets and the audio pass.
#include <gtest/gtest.h>

#include <cstring>

#include "TestPlugin.h"

TEST(PluginBase, GuiPathCallsTheCallbackOnlyForAChangeOrATextAndHardwarePathTheSecond)
{
    TestPlugin plug;
    plug.GetParam(0)->InitInt("i", 0, 0, 10);
    plug.SetParameterFromGUI(0, 0.0);  // unchanged: the host hears of it, the callback does not
    EXPECT_TRUE(plug.changes.empty());
    ASSERT_EQ(plug.informed.size(), 1u);
    plug.SetParameterFromGUI(0, 0.5);
    EXPECT_EQ(plug.changes, std::vector<int>{0});
    EXPECT_EQ(plug.GetParam(0)->Value(), 5.0);

    plug.GetParam(1)->InitText();
    plug.SetParameterFromGUI(1, 0.0);
    EXPECT_EQ(plug.changes, (std::vector<int>{0, 1}));

    plug.GetParam(2)->InitBool("b", false);
    plug.SetParameterFromGUI2(2, 1.0);
    EXPECT_EQ(plug.hardwareChanges, std::vector<int>{2});
    EXPECT_EQ(plug.changes.size(), 2u);
    EXPECT_EQ(plug.informed.size(), 4u);

    plug.SetParameterFromGUI(5, 1.0);  // bad indexes are ignored
    plug.SetParameterFromGUI2(-1, 1.0);
    EXPECT_EQ(plug.GetParam(5), nullptr);
    EXPECT_EQ(plug.informed.size(), 4u);
}

TEST(PluginBase, ValuePathHoldsThePluginMutexAcrossTheCallback)
{
    struct LockCheck : TestPlugin {
        void OnParamChange(int) override { heldDuringCallback = GetMutex()->IsOwnedByCurrentThread(); }
        bool heldDuringCallback = false;
    } plug;
    plug.SetParameterFromGUI(0, 1.0);
    EXPECT_TRUE(plug.heldDuringCallback);
    EXPECT_FALSE(plug.GetMutex()->IsOwnedByCurrentThread());
}

TEST(PluginBase, ShortOrOutOfRangeParameterChunkClampsAndFailsAndANegativeStartIsHandedOn)
{
    TestPlugin plug(5, 5);
    for (int i = 0; i < 5; ++i) plug.GetParam(i)->InitDouble("d", 7.0, 1.0, 9.0, 0.5);
    ByteChunk chunk;
    const double values[] = {2.0, 99.5, -3.0};
    for (double v : values) chunk.Put(&v);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ(plug.GetParam(0)->Value(), 2.0);
    EXPECT_EQ(plug.GetParam(1)->Value(), 9.0);
    EXPECT_EQ(plug.GetParam(2)->Value(), 1.0);
    EXPECT_EQ(plug.GetParam(3)->Value(), 1.0);  // 0.0 clamped into the range
    EXPECT_EQ(plug.GetParam(4)->Value(), 7.0);  // untouched
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
    const uint8_t expected[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
    ASSERT_EQ(chunk.Size(), 16);
    EXPECT_EQ(std::memcmp(chunk.GetBytes(), expected, 16), 0);
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
    float in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    float out0[8] = {};
    float out1[8] = {9, 9, 9, 9, 9, 9, 9, 9};
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
    msgs.Add(IMidiMsg(0, 0xB0, 1, 0));
    msgs.Add(IMidiMsg(0, 0xB0, 0xFF, 0));
    msgs.Add(IMidiMsg(0, 0xB0, 3, 0));
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
