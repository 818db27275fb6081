// The parameter handler's own cases: trigger buttons, octave indicators, section locks, MIDI filters and switches, the
// arpeggiator sync button, device selection, and the hardware path that runs none of them.
#include "EditorCoreSupport.h"

using ParamChanges = CoreTest;

TEST_F(ParamChanges, TriggerButtonsStepTheirTargetRoundItsValues)
{
    const struct {
        int trigger, target;
        double before, after;
    } cases[] = {
        {kVCADriveCurveTrigger, kVolumeDriveCurve, 2, 3}, {kVCADriveCurveTrigger, kVolumeDriveCurve, 3, 0},
        {kFilterTypeTrigger, kFilterType, 0, 1}, {kOscillator3RoutingTrigger, kOscillator3Routing, 3, 0},
        {kOscillator1WaveTrigger, kOscillator1Shape, 8, 9}, {kOscillator1WaveTrigger, kOscillator1Shape, 9, 0},
        {kOscillator2WaveTrigger, kOscillator2Shape, 4, 0}, {kOscillator3WaveTrigger, kOscillator3Shape, 3, 4},
        {kOscillator1KeytrackTrigger, kOscillator1Keytrack, 0, 1},
        {kOscillator2KeytrackTrigger, kOscillator2Keytrack, 1, 0},
        {kArpModeTrigger, kArpMode, 5, 6}, {kArpModeTrigger, kArpMode, 6, 0},
        {kOscillator2SyncTrigger, kOscillator2Sync, 0, 1}, {kOscillator2SyncTrigger, kOscillator2Sync, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.trigger << " from " << c.before);
        editor->GetParam(c.target)->Set(c.before);
        press(c.trigger, 1);
        EXPECT_EQ(value(c.target), c.after);
        press(c.trigger, 0);  // the release changes nothing
        EXPECT_EQ(value(c.target), c.after);
    }
}

TEST_F(ParamChanges, LfoShapeButtonRunsThroughFreeThenClockedShapes)
{
    ControlLayer* clocked = addLayer("lfo1ClockedLayer");
    const std::pair<double, double> expected[] = {
        {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 0}, {6, 1}, {7, 2}, {8, 3}, {9, 4}, {0, 0}};
    for (const auto& [clock, shape] : expected) {
        press(kLFO1ShapeTrigger);
        EXPECT_EQ((std::pair<double, double> {clock, shape}),
                  (std::pair<double, double> {value(kLFO1ShapeClock), value(kLFO1Shape)}));
        EXPECT_EQ(hidden(clocked), clock < 5) << clock;
    }
}

TEST_F(ParamChanges, SemitonesOnWholeOctavesLightTheirIndicator)
{
    const std::pair<double, double> cases[] = {{24, 1}, {30, 0}, {96, 1}, {97, 0}, {0, 1}};
    for (const auto& [semitone, lit] : cases) {
        press(kOscillator3Semitone, semitone);
        EXPECT_EQ(value(kOscillator3OctaveIndicator), lit) << semitone;
    }
    for (double on : {2, 0}) {
        press(kArpOnOff, on);
        EXPECT_EQ(value(kArpOnOffIndicator), on ? 1.0 : 0.0);
    }
}

TEST_F(ParamChanges, SectionLocksFollowTheThirteenLockParameters)
{
    ControlLayer* release = addLayer("releaseAllLocksLayer");
    const std::pair<int, double> presses[] = {
        {kSectionLockOsc1, 1}, {kSectionLockArp, 1}, {kSectionLockOsc1, 0}, {kSectionLockArp, 0}};
    const bool activeAfter[] = {true, true, true, false};
    for (int i = 0; i < 4; ++i) {
        press(presses[i].first, presses[i].second);
        EXPECT_EQ(editor->sectionLockActive, activeAfter[i]) << i;
        EXPECT_EQ(grayed(release), !activeAfter[i]) << i;
    }
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
    press(kGlobalLocalControl, 1);
    EXPECT_FALSE(editor->trackIncomingMIDI);
    EXPECT_TRUE(editor->localControl);
}

TEST_F(ParamChanges, DirectAndQueuedOutputAreAPairOnlyWhenSwitchedOn)
{
    // Each press, then the other switch's value and the queued output.
    const struct {
        int param;
        double v, other;
        bool queued;
    } presses[] = {{kMIDIFilterToDAWBuffer, 1, 0, true}, {kMIDIFilterDirectToHardware, 1, 0, false},
                   {kMIDIFilterDirectToHardware, 0, 0, false}, {kMIDIFilterToDAWBuffer, 1, 0, true},
                   {kMIDIFilterToDAWBuffer, 0, 0, true}};
    for (const auto& p : presses) {
        press(p.param, p.v);
        const int other = p.param == kMIDIFilterToDAWBuffer ? kMIDIFilterDirectToHardware : kMIDIFilterToDAWBuffer;
        EXPECT_EQ(value(other), p.other) << p.param << " " << p.v;
        EXPECT_EQ(editor->toDAWBuffer, p.queued) << p.param << " " << p.v;
    }
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
    EXPECT_TRUE(hidden(knob) && !hidden(clocked));
    press(kArpSyncTrigger);
    EXPECT_FALSE(hidden(knob));
    EXPECT_EQ("B1 68 37 | B1 69 04", editor->wireHex());
    EXPECT_EQ(ccLine->GetTextString(), "CC|105");
}

TEST_F(ParamChanges, ChoosingOffClosesTheOutputAndStopsTheContinuousClock)
{
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(0, "OFF");
    editor->midiMessageManager->sender->clockRunning = true;
    press(kDeviceOutSelection, 0);
    EXPECT_FALSE(editor->midiOutSet || editor->midiMessageManager->sender->clockRunning);
}

TEST_F(ParamChanges, AnActionsSwitchedLayerShowsThePageOfTheValueFromEitherPath)
{
    ControlLayer* pages = addLayer("pages");
    ControlLayer* page[3] = {addLayer("p0", pages, 0), addLayer("p1", pages, 1), addLayer("p2", pages, 2)};
    pages->Hide(false);
    bindAction(kFilterType, 4)->switchedLayer = pages;
    for (const auto& [fromHardware, v] : {std::pair(false, 2.0), std::pair(true, 1.0)}) {
        editor->GetParam(kFilterType)->Set(v);
        const bool hardware = fromHardware;  // a lambda cannot capture a structured binding before C++20
        quietly([&] { hardware ? editor->OnParamChange2(kFilterType) : editor->OnParamChange(kFilterType); });
        EXPECT_EQ(pages->GetSelectedChildId(), int(v));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(hidden(page[i]), i != int(v)) << v << " " << i;
    }
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
    EXPECT_FALSE(editor->sectionLockActive || editor->midiMessageManager->patchRequested);
}

TEST_F(ParamChanges, RequestButtonWithoutAnOutputLeavesIncomingMidiFlowing)
{
    editor->midiOutSet = false;
    for (double v : {1, 2}) {
        editor->midiMessageManager->patchRequested = v == 2;
        press(kRequestTempData, v);
        EXPECT_FALSE(editor->midiMessageManager->patchRequested) << v;  // no job, so no dump is awaited
    }
}
