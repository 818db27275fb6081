// The parameter handler's own cases: trigger buttons, octave indicators,
// section locks, MIDI filters and switches, the arpeggiator sync button,
// device selection, and the hardware path that runs none of them.
#include "EditorCoreSupport.h"

namespace {

class ParamChanges : public CoreTest {};

struct TriggerCase {
    int trigger;
    int target;
    double before;
    double after;
};

}  // namespace

TEST_F(ParamChanges, TriggerButtonsStepTheirTargetRoundItsValues)
{
    const TriggerCase cases[] = {
        {kVCADriveCurveTrigger, kVolumeDriveCurve, 2, 3}, {kVCADriveCurveTrigger, kVolumeDriveCurve, 3, 0},
        {kFilterTypeTrigger, kFilterType, 0, 1}, {kOscillator3RoutingTrigger, kOscillator3Routing, 3, 0},
        {kOscillator1WaveTrigger, kOscillator1Shape, 8, 9}, {kOscillator1WaveTrigger, kOscillator1Shape, 9, 0},
        {kOscillator2WaveTrigger, kOscillator2Shape, 4, 0}, {kOscillator3WaveTrigger, kOscillator3Shape, 3, 4},
        {kOscillator1KeytrackTrigger, kOscillator1Keytrack, 0, 1},
        {kOscillator2KeytrackTrigger, kOscillator2Keytrack, 1, 0}, {kArpModeTrigger, kArpMode, 5, 6},
        {kArpModeTrigger, kArpMode, 6, 0}, {kOscillator2SyncTrigger, kOscillator2Sync, 0, 1},
        {kOscillator2SyncTrigger, kOscillator2Sync, 1, 0},
    };
    for (const TriggerCase& c : cases) {
        editor->GetParam(c.target)->Set(c.before);
        press(c.trigger, 1);
        EXPECT_EQ(value(c.target), c.after) << c.trigger << " from " << c.before;
        press(c.trigger, 0);  // the release changes nothing
        EXPECT_EQ(value(c.target), c.after) << c.trigger;
    }
}

TEST_F(ParamChanges, LfoShapeButtonRunsThroughFreeThenClockedShapes)
{
    ControlLayer* clocked = addLayer("lfo1ClockedLayer");
    const std::pair<double, double> expected[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 0}, {6, 1}, {7, 2}, {8, 3},
        {9, 4}, {0, 0}};
    for (const auto& [clock, shape] : expected) {
        press(kLFO1ShapeTrigger);
        EXPECT_EQ(value(kLFO1ShapeClock), clock);
        EXPECT_EQ(value(kLFO1Shape), shape) << clock;
        if (clock >= 5) {
            EXPECT_FALSE(hidden(clocked)) << clock;
        }
    }
    EXPECT_TRUE(hidden(clocked));
}

TEST_F(ParamChanges, SemitonesOnWholeOctavesLightTheirIndicator)
{
    const std::pair<double, double> cases[] = {{24, 1}, {30, 0}, {96, 1}, {97, 0}, {0, 1}};
    for (const auto& [semitone, lit] : cases) {
        press(kOscillator3Semitone, semitone);
        EXPECT_EQ(value(kOscillator3OctaveIndicator), lit) << semitone;
    }
    press(kArpOnOff, 2);
    EXPECT_EQ(value(kArpOnOffIndicator), 1.0);
    press(kArpOnOff, 0);
    EXPECT_EQ(value(kArpOnOffIndicator), 0.0);
}

TEST_F(ParamChanges, SectionLocksFollowTheThirteenLockParameters)
{
    ControlLayer* release = addLayer("releaseAllLocksLayer");
    press(kSectionLockOsc1, 1);
    press(kSectionLockArp, 1);
    EXPECT_TRUE(editor->sectionLockActive);
    EXPECT_FALSE(grayed(release));
    press(kSectionLockOsc1, 0);
    EXPECT_TRUE(editor->sectionLockActive);
    press(kSectionLockArp, 0);
    EXPECT_FALSE(editor->sectionLockActive);
    EXPECT_TRUE(grayed(release));

    press(kSectionLockMixer, 1);
    press(kReleaseAllLocks, 1);
    for (int lock = kSectionLockOsc1; lock <= kReleaseAllLocks; ++lock)
        EXPECT_EQ(value(lock), 0.0) << lock;
    EXPECT_FALSE(editor->sectionLockActive);
    EXPECT_TRUE(grayed(release));
}

TEST_F(ParamChanges, FilterParametersLetTheirTypePassAtValueOne)
{
    for (int i = 0; i < kMidiFilterCount; ++i) {
        press(kMIDIFilterDAWCCPassThrough + i, 1);
        press(kMIDIFilterHWCCPassThrough + i, 0);
        EXPECT_FALSE(editor->dawFilter[i]) << i;
        EXPECT_TRUE(editor->hwFilter[i]) << i;
        press(kMIDIFilterDAWCCPassThrough + i, 2);
        EXPECT_TRUE(editor->dawFilter[i]) << i;
    }
    press(kMIDIFilterTrackIncomingMIDI, 0);
    EXPECT_FALSE(editor->trackIncomingMIDI);
    press(kGlobalLocalControl, 1);
    EXPECT_TRUE(editor->localControl);
}

TEST_F(ParamChanges, DirectAndQueuedOutputAreAPairOnlyWhenSwitchedOn)
{
    press(kMIDIFilterToDAWBuffer, 1);
    EXPECT_TRUE(editor->toDAWBuffer);
    press(kMIDIFilterDirectToHardware, 1);
    EXPECT_EQ(value(kMIDIFilterToDAWBuffer), 0.0);
    EXPECT_FALSE(editor->toDAWBuffer);
    press(kMIDIFilterDirectToHardware, 0);
    EXPECT_EQ(value(kMIDIFilterToDAWBuffer), 0.0);
    press(kMIDIFilterToDAWBuffer, 1);
    EXPECT_EQ(value(kMIDIFilterDirectToHardware), 0.0);
    press(kMIDIFilterToDAWBuffer, 0);
    EXPECT_EQ(value(kMIDIFilterDirectToHardware), 0.0);
    EXPECT_TRUE(editor->toDAWBuffer);
}

TEST_F(ParamChanges, DawOffsetIsTwiceTheSettingPlusTheBlock)
{
    editor->SetBlockSize(512);
    press(kAdjustDAWOffset, 10);
    EXPECT_EQ(editor->dawOffset, 532);
}

TEST_F(ParamChanges, ArpSyncButtonSwapsTempoControlsAndSendsItsControlChange)
{
    ControlLayer* knob = addLayer("arpTempoKnob");
    ControlLayer* clocked = addLayer("arpTempoClock");
    editor->GetParam(kArpTempo)->Set(55);
    editor->GetParam(kArpClock)->Set(3);
    editor->GetParam(kGlobalMidiChannel)->Set(2);
    press(kArpSyncTrigger);
    EXPECT_TRUE(hidden(knob));
    EXPECT_FALSE(hidden(clocked));
    press(kArpSyncTrigger);
    EXPECT_FALSE(hidden(knob));
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB1, 104, 55}, {0xB1, 105, 4}}));
    EXPECT_EQ(ccLine->GetTextString(), "CC|105");
}

TEST_F(ParamChanges, ChoosingOffClosesTheOutputAndStopsTheContinuousClock)
{
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(0, "OFF");
    editor->midiMessageManager->sender->clockRunning = true;
    press(kDeviceOutSelection, 0);
    EXPECT_FALSE(editor->midiOutSet);
    EXPECT_FALSE(editor->midiMessageManager->sender->clockRunning);
}

TEST_F(ParamChanges, ValuesFromTheHardwareRunNoCommand)
{
    editor->GetParam(kOscillator1Shape)->Set(8);
    editor->GetParam(kOscillator1WaveTrigger)->Set(1);
    quietly([&] { editor->OnParamChange2(kOscillator1WaveTrigger); });
    EXPECT_EQ(value(kOscillator1Shape), 8.0);
    editor->GetParam(kSectionLockOsc1)->Set(1);
    editor->midiMessageManager->patchRequested = true;
    quietly([&] { editor->OnParamChange2(kSectionLockOsc1); });
    EXPECT_FALSE(editor->sectionLockActive);
    EXPECT_FALSE(editor->midiMessageManager->patchRequested);
}

TEST_F(ParamChanges, RequestButtonWithoutAnOutputLeavesIncomingMidiFlowing)
{
    editor->midiOutSet = false;
    press(kRequestTempData, 1);
    EXPECT_FALSE(editor->midiMessageManager->patchRequested);  // no job, so no dump is awaited
    editor->midiMessageManager->patchRequested = true;
    press(kRequestTempData, 2);
    EXPECT_FALSE(editor->midiMessageManager->patchRequested);
}
