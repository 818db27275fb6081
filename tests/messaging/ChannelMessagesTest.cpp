// Channel messages from the hardware and from the host: filters, control
// changes to controls, program changes.
#include <algorithm>
#include <map>
#include <tuple>

#include "EditorFixture.h"

class ChannelMessages : public EditorFixture {};

TEST_F(ChannelMessages, HostMessagesNeedAnOutputAndEachFilterDropsItsTypeWithItsOwnLogLine)
{
    const std::tuple<EMidiFilter, uint8_t, const char*> cases[] = {{kFilterControlChange, 0xB0, "Control Changes"},
        {kFilterProgramChange, 0xC0, "Program Changes"}, {kFilterNotes, 0x90, "Notes"}, {kFilterNotes, 0x80, "Notes"},
        {kFilterPitchBend, 0xE0, "Pitch Bend"}, {kFilterPolyAftertouch, 0xA0, "Poly Aftertouch"},
        {kFilterChannelAftertouch, 0xD0, "Channel Aftertouch"}};
    EXPECT_EQ(fromHost(0xC0, 10), "") << "host messages are ignored without MIDI output";
    EXPECT_EQ(value(kCurrentPatch), 0);
    editor->midiOutSet = true;
    editor->trackIncomingMIDI = false;
    for (const auto& [filter, status, type] : cases) {
        // Each source reads only its own switch.
        editor->hwFilter[filter] = true;
        EXPECT_EQ(fromHardware(status, 5, 5), "\t" + std::string(type) + " from HW filtered, returning.\n");
        editor->hwFilter[filter] = false;
        editor->dawFilter[filter] = true;
        EXPECT_EQ(fromHost(status, 5, 5), "\t" + std::string(type) + " from Daw filtered, returning.\n");
        editor->dawFilter[filter] = false;
    }
    EXPECT_EQ(manager->lastJob().code, -1);
}

TEST_F(ChannelMessages, ControlChangeMovesTheBoundControlByItsRangeHostLookingUpItsChannelAfterOmni)
{
    TestControl* cutoff = bindCc(kFilterCutoff, 0, 74, 0);
    editor->GetParam(kFilterCutoff)->InitDouble("cutoff", 0.0, 10.0, 110.0, 1.0);
    fromHardware(0xB3, 74, 60);
    editor->GetParam(kFilterCutoff)->InitDouble("cutoff", 5.0, 5.0, 5.0, 0.0);
    fromHardware(0xB0, 74, 60);  // an empty range moves nothing
    EXPECT_EQ(cutoff->moves, std::vector<double> {0.5});

    TestControl* resonance = bindCc(kFilterResonance, 2, 71, 1);
    editor->midiOutSet = true;
    fromHost(0xB1, 71, 127);
    fromHardware(0xB1, 71, 127);  // the hardware path looks up channel 0 only
    EXPECT_EQ(resonance->moves, std::vector<double> {1.0});
}

TEST_F(ChannelMessages, ProgramChangesRequestUpTo100ButNotUnderPartLockNorOutsideTheLibrarianBank)
{
    // The request job this starts logs from its own thread, maybe while the
    // capture is still on: only this thread's line is asserted.
    EXPECT_NE(fromHardware(0xC0, 120).find("Program change detected, returning!\n"), std::string::npos);
    const auto job = manager->lastJob();
    EXPECT_EQ(std::tuple(job.code, job.program, job.bank), std::tuple(5, 100, 0));
    EXPECT_EQ(value(kCurrentPatch), 120);

    SetUp();
    editor->GetParam(kPartLock)->Set(1.0);
    EXPECT_EQ(fromHardware(0xC0, 12), "");
    EXPECT_EQ(value(kCurrentPatch), 12);
    EXPECT_TRUE(manager->lastJob().code == -1 && !manager->patchRequested);

    // Librarian mode with no output: the slot is selected, the send refused, and the synth's knobs still move
    // their controls (nothing waits for a sound that no job asked for).
    SetUp();
    editor->libraryControl = true;
    editor->patchLibrarian->transferSlot = 4;
    giveLibraryBank(4).patches[30].messages.push_back({initDump()});
    TestControl* cutoff = bindCc(kFilterCutoff, 0, 74, 0);
    for (const auto& [program, slot] : {std::pair(100, 4), {30, 30}}) {
        fromHardware(0xC0, uint8_t(program));
        IMidiMsg knob(0, 0xB0, 74, 64);
        quietly([&] { editor->ProcessMidiMsg(&knob, true); });
        EXPECT_EQ(std::tuple(int(editor->patchLibrarian->transferSlot), bool(manager->patchRequested),
                      cutoff->moves.size()),
            std::tuple(slot, false, size_t(program == 100 ? 1 : 2)));
    }
    EXPECT_EQ(manager->lastJob().code, -1);
}

TEST_F(ChannelMessages, HardwareControlChangesAreConvertedBeforeTheMoveAndSetTheirCompanions)
{
    std::map<int, TestControl*> byCc;
    for (auto [param, cc] : {std::pair(kOscillator2Semitone, 36), {kLFO1Shape, 25}, {kArpClock, 105}})
        byCc[cc] = bindCc(param, 0, cc, 0);
    bindCc(kGlobalLocalControl, 0, 122, 0);
    // CC and value, the move in 127ths, a companion parameter (-1: none) and its value after the move.
    const std::tuple<uint8_t, uint8_t, double, int, double> rows[] = {{36, 28, 12 + 16, kOscillator2OctaveIndicator, 1},
        {36, 30, 30, kOscillator2OctaveIndicator, 0}, {25, 7, 2, kLFO1ShapeClock, 7}, {25, 4, 4, kLFO1ShapeClock, 4},
        {105, 5, 4, -1, 0}, {105, 0, -1, kArpClock, 0}};
    for (const auto& [cc, ccValue, move, companion, companionValue] : rows) {
        SCOPED_TRACE(testing::Message() << "CC " << int(cc) << " = " << int(ccValue));
        fromHardware(0xB0, cc, ccValue);
        EXPECT_DOUBLE_EQ(byCc[cc]->moves.back(), move / 127.0);
        EXPECT_TRUE(companion < 0 || value(companion) == companionValue);
    }
    for (bool on : {true, false}) {
        fromHardware(0xB0, 122, on);
        EXPECT_EQ(editor->localControl, on);
    }
}

TEST_F(ChannelMessages, HardwareMovesSuppressTheEchoAndHostMovesDoNot)
{
    TestControl* control = bindCc(kFilterType, 0, 34, 0);
    editor->midiOutSet = true;
    fromHardware(0xB0, 34, 3);
    fromHost(0xB0, 34, 4);
    EXPECT_TRUE(control->echoSuppressed == std::vector<bool>({true, false}) && !manager->suppressEcho);
    // CC 34 refreshes the main tab from the hardware only.
    EXPECT_EQ(std::count(editor->changes.begin(), editor->changes.end(), kMainTab), 1);
}
