// The parameter handler's own cases: trigger buttons, octave indicators, section locks, MIDI filters and switches, the
// arpeggiator sync button, device selection, and the hardware path that runs none of them.
#include "EditorCoreSupport.h"
#include "MIDIMessageSender.h"

using ParamChanges = CoreTest;

// A press with its target at a value before: the target's value after. A release (0) after a press of 1 changes
// nothing.
TEST_F(ParamChanges, EachCaseSetsTheParameterItStandsFor)
{
    const struct {
        int press;
        double v;
        int target;
        double before, after;
    } cases[] = {
        {kVCADriveCurveTrigger, 1, kVolumeDriveCurve, 2, 3}, {kVCADriveCurveTrigger, 1, kVolumeDriveCurve, 3, 0},
        {kFilterTypeTrigger, 1, kFilterType, 0, 1}, {kOscillator3RoutingTrigger, 1, kOscillator3Routing, 3, 0},
        {kOscillator1WaveTrigger, 1, kOscillator1Shape, 8, 9}, {kOscillator1WaveTrigger, 1, kOscillator1Shape, 9, 0},
        {kOscillator2WaveTrigger, 1, kOscillator2Shape, 4, 0}, {kOscillator3WaveTrigger, 1, kOscillator3Shape, 3, 4},
        {kOscillator1KeytrackTrigger, 1, kOscillator1Keytrack, 0, 1},
        {kOscillator2KeytrackTrigger, 1, kOscillator2Keytrack, 1, 0},
        {kArpModeTrigger, 1, kArpMode, 5, 6}, {kArpModeTrigger, 1, kArpMode, 6, 0},
        {kOscillator2SyncTrigger, 1, kOscillator2Sync, 0, 1}, {kOscillator2SyncTrigger, 1, kOscillator2Sync, 1, 0},
        // Semitones on whole octaves light their indicator; the arpeggiator switch its own.
        {kOscillator3Semitone, 24, kOscillator3OctaveIndicator, 0, 1},
        {kOscillator3Semitone, 30, kOscillator3OctaveIndicator, 1, 0},
        {kOscillator3Semitone, 96, kOscillator3OctaveIndicator, 0, 1},
        {kOscillator3Semitone, 97, kOscillator3OctaveIndicator, 1, 0},
        {kOscillator3Semitone, 0, kOscillator3OctaveIndicator, 0, 1}, {kArpOnOff, 2, kArpOnOffIndicator, 0, 1},
        {kArpOnOff, 0, kArpOnOffIndicator, 1, 0},
        // Direct and host-timed output are a pair only when switched on.
        {kMIDIFilterToDAWBuffer, 1, kMIDIFilterDirectToHardware, 1, 0},
        {kMIDIFilterDirectToHardware, 1, kMIDIFilterToDAWBuffer, 1, 0},
        {kMIDIFilterDirectToHardware, 0, kMIDIFilterToDAWBuffer, 1, 1},
        {kMIDIFilterToDAWBuffer, 0, kMIDIFilterDirectToHardware, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.press << " = " << c.v << " with " << c.before);
        editor->GetParam(c.target)->Set(c.before);
        press(c.press, c.v);
        EXPECT_EQ(value(c.target), c.after);
        if (c.v == 1) {
            press(c.press, 0);
            EXPECT_EQ(value(c.target), c.after);
        }
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

TEST_F(ParamChanges, SectionLocksFollowTheThirteenLockParametersButNotValuesFromTheHardware)
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
    // Values from the hardware run no command.
    editor->GetParam(kOscillator1Shape)->Set(8);
    editor->GetParam(kOscillator1WaveTrigger)->Set(1);
    quietly([&] { editor->OnParamChange2(kOscillator1WaveTrigger); });
    EXPECT_EQ(value(kOscillator1Shape), 8.0);
    editor->GetParam(kSectionLockOsc1)->Set(1);
    editor->midiMessageManager->patchRequested = true;
    quietly([&] { editor->OnParamChange2(kSectionLockOsc1); });
    EXPECT_FALSE(editor->sectionLockActive || editor->midiMessageManager->patchRequested);
}

// Each filter lets its type pass at value 1; the other switches set the flag they stand for, in this order.
TEST_F(ParamChanges, FiltersAndSwitchesSetTheEditorFlags)
{
    for (int i = 0; i < kMidiFilterCount; ++i) {
        press(kMIDIFilterDAWCCPassThrough + i, 1);
        press(kMIDIFilterHWCCPassThrough + i, 0);
        EXPECT_FALSE(editor->dawFilter[i]) << i;
        EXPECT_TRUE(editor->hwFilter[i]) << i;
        press(kMIDIFilterDAWCCPassThrough + i, 2);
        EXPECT_TRUE(editor->dawFilter[i]) << i;
    }
    editor->SetBlockSize(512);
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(0, "OFF");
    editor->midiMessageManager->sender->clockRunning = true;
    MIDIMessageManager& manager = *editor->midiMessageManager;
    const std::tuple<int, double, std::function<bool()>> rows[] = {
        {kMIDIFilterTrackIncomingMIDI, 0, [&] { return !editor->trackIncomingMIDI; }},
        {kGlobalLocalControl, 1, [&] { return editor->localControl.load(); }},
        {kMIDIFilterToDAWBuffer, 1, [&] { return editor->toDAWBuffer.load(); }},
        {kMIDIFilterToDAWBuffer, 0, [&] { return editor->toDAWBuffer.load(); }},
        {kMIDIFilterDirectToHardware, 1, [&] { return !editor->toDAWBuffer; }},
        {kAdjustDAWOffset, 10, [&] { return editor->dawOffset == 532; }},
        // "OFF" closes the output and stops the clock; without an output a request starts no job to wait for.
        {kDeviceOutSelection, 0, [&] { return !editor->midiOutSet && !manager.sender->clockRunning; }},
        {kRequestTempData, 1, [&] { return !manager.patchRequested; }},
        {kRequestTempData, 2, [&] { return !manager.patchRequested; }},  // after a dump was awaited
    };
    for (const auto& [param, v, holds] : rows) {
        manager.patchRequested = v == 2;
        press(param, v);
        EXPECT_TRUE(holds()) << param << " = " << v;
    }
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
