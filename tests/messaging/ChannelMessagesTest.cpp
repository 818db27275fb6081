#include <algorithm>

#include "EditorFixture.h"

#include "dovor/timing.h"

class ChannelMessages : public EditorFixture {
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        dovor::SetVirtualClock(&clock);
    }
    void TearDown() override { dovor::SetVirtualClock(nullptr); }

    std::string sendFromHardware(uint8_t status, uint8_t data1, uint8_t data2 = 0)
    {
        IMidiMsg msg(0, status, data1, data2);
        return quietly([&] { manager->ProcessMidiMsgFromDevice(&msg); });
    }
    std::string sendFromHost(uint8_t status, uint8_t data1, uint8_t data2 = 0)
    {
        IMidiMsg msg(0, status, data1, data2);
        return quietly([&] { manager->ProcessMidiMsgFromDAW(&msg, 0); });
    }

    dovor::SteppedClock clock;
};

TEST_F(ChannelMessages, EachFilterDropsItsTypeWithItsOwnLogLine)
{
    struct Case {
        EMidiFilter filter;
        uint8_t status;
        const char* hardwareLine;
        const char* hostLine;
    };
    const Case cases[] = {
        {kFilterControlChange, 0xB0, "\tControl Changes from HW filtered, returning.\n",
            "\tControl Changes from Daw filtered, returning.\n"},
        {kFilterProgramChange, 0xC0, "\tProgram Changes from HW filtered, returning.\n",
            "\tProgram Changes from Daw filtered, returning.\n"},
        {kFilterNotes, 0x90, "\tNotes from HW filtered, returning.\n", "\tNotes from Daw filtered, returning.\n"},
        {kFilterNotes, 0x80, "\tNotes from HW filtered, returning.\n", "\tNotes from Daw filtered, returning.\n"},
        {kFilterPitchBend, 0xE0, "\tPitch Bend from HW filtered, returning.\n",
            "\tPitch Bend from Daw filtered, returning.\n"},
        {kFilterPolyAftertouch, 0xA0, "\tPoly Aftertouch from HW filtered, returning.\n",
            "\tPoly Aftertouch from Daw filtered, returning.\n"},
        {kFilterChannelAftertouch, 0xD0, "\tChannel Aftertouch from HW filtered, returning.\n",
            "\tChannel Aftertouch from Daw filtered, returning.\n"},
    };
    editor->midiOutSet = true;
    editor->trackIncomingMIDI = false;
    for (const Case& c : cases) {
        editor->hwFilter[c.filter] = true;
        editor->dawFilter[c.filter] = true;
        EXPECT_EQ(sendFromHardware(c.status, 5, 5), c.hardwareLine);
        EXPECT_EQ(sendFromHost(c.status, 5, 5), c.hostLine);
        editor->hwFilter[c.filter] = false;
        editor->dawFilter[c.filter] = false;
    }
    EXPECT_EQ(manager->lastJob().code, -1);
}

TEST_F(ChannelMessages, HardwareControlChangeMovesTheBoundControlByItsRangeAndAnEmptyRangeNothing)
{
    TestControl* control = bindCc(kFilterCutoff, 0, 74, 0);
    editor->GetParam(kFilterCutoff)->InitDouble("cutoff", 0.0, 10.0, 110.0, 1.0);
    sendFromHardware(0xB3, 74, 60);
    ASSERT_EQ(control->moves.size(), 1u);
    EXPECT_DOUBLE_EQ(control->moves[0], 0.5);
    editor->GetParam(kFilterCutoff)->InitDouble("cutoff", 5.0, 5.0, 5.0, 0.0);
    sendFromHardware(0xB0, 74, 60);
    EXPECT_EQ(control->moves.size(), 1u);
}

TEST_F(ChannelMessages, HostControlChangeLooksUpItsChannelAfterTheOmniEntry)
{
    TestControl* control = bindCc(kFilterResonance, 2, 71, 1);
    editor->midiOutSet = true;
    sendFromHost(0xB1, 71, 127);
    ASSERT_EQ(control->moves.size(), 1u);
    EXPECT_DOUBLE_EQ(control->moves[0], 1.0);
    sendFromHardware(0xB1, 71, 127);
    EXPECT_EQ(control->moves.size(), 1u);  // the hardware path looks up channel 0 only
}

TEST_F(ChannelMessages, HardwareProgramChangeAbove100RequestsProgram100)
{
    // The request job this starts logs from its own thread, maybe while the
    // capture is still on: only this thread's line is asserted.
    const std::string out = sendFromHardware(0xC0, 120);
    EXPECT_NE(out.find("Program change detected, returning!\n"), std::string::npos) << out;
    EXPECT_EQ(manager->lastJob().code, 5);
    EXPECT_EQ(manager->lastJob().program, 100);
    EXPECT_EQ(manager->lastJob().bank, 0);
    EXPECT_EQ(value(kCurrentPatch), 120);
}

TEST_F(ChannelMessages, PartLockStillSetsTheProgramButRequestsNothing)
{
    editor->GetParam(kPartLock)->Set(1.0);
    EXPECT_EQ(sendFromHardware(0xC0, 12), "");
    EXPECT_EQ(value(kCurrentPatch), 12);
    EXPECT_EQ(manager->lastJob().code, -1);
    EXPECT_FALSE(manager->patchRequested);
}

TEST_F(ChannelMessages, LibrarianProgramChangeOutsideTheBankSelectsNoSlot)
{
    editor->libraryControl = true;
    editor->patchLibrarian->transferSlot = 4;
    sendFromHardware(0xC0, 100);
    EXPECT_EQ(editor->patchLibrarian->transferSlot, 4);
    EXPECT_FALSE(manager->patchRequested);
    sendFromHardware(0xC0, 30);
    EXPECT_EQ(editor->patchLibrarian->transferSlot, 30);
    EXPECT_TRUE(manager->patchRequested);
    EXPECT_EQ(manager->lastJob().code, -1);
}

TEST_F(ChannelMessages, HostMessagesAreIgnoredWithoutMidiOutput)
{
    EXPECT_EQ(sendFromHost(0xC0, 10), "");
    EXPECT_EQ(value(kCurrentPatch), 0);
}

TEST_F(ChannelMessages, HardwareControlChangesAreConvertedBeforeTheMoveAndSetTheirCompanions)
{
    TestControl* semitone = bindCc(kOscillator2Semitone, 0, 36, 0);
    TestControl* shape = bindCc(kLFO1Shape, 0, 25, 0);
    TestControl* clock = bindCc(kArpClock, 0, 105, 0);
    bindCc(kGlobalLocalControl, 0, 122, 0);
    sendFromHardware(0xB0, 36, 28);
    EXPECT_DOUBLE_EQ(semitone->moves.back(), (12.0 + 16.0) / 127.0);
    EXPECT_EQ(value(kOscillator2OctaveIndicator), 1.0);
    sendFromHardware(0xB0, 36, 30);
    EXPECT_EQ(value(kOscillator2OctaveIndicator), 0.0);
    sendFromHardware(0xB0, 25, 7);
    EXPECT_EQ(value(kLFO1ShapeClock), 7);
    EXPECT_DOUBLE_EQ(shape->moves.back(), 2.0 / 127.0);
    sendFromHardware(0xB0, 25, 4);
    EXPECT_DOUBLE_EQ(shape->moves.back(), 4.0 / 127.0);
    sendFromHardware(0xB0, 105, 5);
    EXPECT_DOUBLE_EQ(clock->moves.back(), 4.0 / 127.0);
    sendFromHardware(0xB0, 105, 0);
    EXPECT_DOUBLE_EQ(clock->moves.back(), -1.0 / 127.0);
    EXPECT_EQ(value(kArpClock), 0);
    sendFromHardware(0xB0, 122, 1);
    EXPECT_TRUE(editor->localControl);
    sendFromHardware(0xB0, 122, 0);
    EXPECT_FALSE(editor->localControl);
}

TEST_F(ChannelMessages, HardwareMovesSuppressTheEchoAndHostMovesDoNot)
{
    TestControl* control = bindCc(kFilterType, 0, 34, 0);
    control->echoFlag = &manager->suppressEcho;
    editor->midiOutSet = true;
    sendFromHardware(0xB0, 34, 3);
    sendFromHost(0xB0, 34, 4);
    EXPECT_EQ(control->echoSuppressed, (std::vector<bool> {true, false}));
    EXPECT_FALSE(manager->suppressEcho);
    // CC 34 refreshes the main tab from the hardware only.
    EXPECT_EQ(std::count(editor->changes.begin(), editor->changes.end(), kMainTab), 1);
}
