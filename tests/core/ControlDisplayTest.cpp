// The status display: which changes reach it and the value text of each parameter family, from the documented examples.
#include <tinyxml2.h>

#include "ControlDisplay.h"
#include "EditorCoreSupport.h"
#include "UIConfigManager.h"

namespace {

class ValueDisplay : public CoreTest {
protected:
    // The value line after the change, or "name line: value line" when the name line is not the parameter's.
    std::string show(int paramIdx, double v, bool transportRunning = false)
    {
        quietly([&] { ControlDisplay::controlDisplay(editor.get(), paramIdx, v, transportRunning); });
        const std::string name = nameLine->GetTextString();
        return (name == "param " + std::to_string(paramIdx) ? "" : name + ": ") + valueLine->GetTextString();
    }
};

struct DisplayCase {
    int param;
    double value;
    const char* line;
};

}  // namespace

// Each family at its ends and its centre, and the first value past it.
TEST_F(ValueDisplay, ValueLineFollowsTheFamilyOfTheParameter)
{
    const DisplayCase cases[] = {
        {kOscillator2Semitone, 0, "-48 [0]"}, {kOscillator2Semitone, 48, "0 [48]"},
        {kOscillator2Semitone, 97, "+49 [97]"}, {kOscillator2Semitone, 98, " [98]"}, {kGlobalTranspose, 23, "-1 [23]"},
        {kGlobalTranspose, 24, "0 [24]"}, {kGlobalTranspose, 150, "+126 [150]"}, {kModUnit3Amount, 63, "-1 [63]"},
        {kModUnit3Amount, 64, "0 [64]"}, {kModUnit3Amount, 127, "+63 [127]"}, {kModUnit3Amount, 128, " [128]"},
        {kVolumeVeloSense, 65, "+1 [65]"}, {kPitchBendScaleUp, 12, "+12 [12]"}, {kPitchBendScaleDown, 12, "-12 [12]"},
        {kPanning, 0, "LEFT 100% [0]"}, {kPanning, 1, "LEFT 97% [1]"}, {kPanning, 63, "LEFT 1% [63]"},
        {kPanning, 64, "< CENTER > [64]"}, {kPanning, 65, "RIGHT 1% [65]"}, {kPanning, 126, "RIGHT 96% [126]"},
        {kPanning, 127, "RIGHT 100% [127]"}, {kPanning, 128, " [128]"}, {kPatternStep03Time, 0, "25 % [0]"},
        {kPatternStep16Time, 3, "100 % [3]"}, {kPatternStep03Time, 4, " [4]"}, {kArpSwing, 0, "0 % [0]"},
        {kArpSwing, 37, "37% [37]"}, {kArpSwing, 50, "50 % [50]"}, {kArpSwing, 100, "100% [100]"},
        {kArpDelay, 0, "-50% [0]"}, {kArpDelay, 49, "-1% [49]"}, {kArpDelay, 50, "0 % [50]"},
        {kArpDelay, 51, "1% [51]"}, {kArpDelay, 75, "25% [75]"}, {kArpDelay, 99, "49% [99]"},
        {kArpDelay, 100, "50% [100]"}, {kArpDelay, 101, " [101]"}, {kLFO1Speed, 10, "10 [10]"}, {kSectionLockOsc2, 1, "ON [1]"},
        {kPatternStep07Glide, 0, "OFF [0]"}, {kGlobalMidiThru, 2, " [2]"}, {kGlobalLocalControl, 1, "ALLOWED [1]"},
        {kGlobalLocalControl, 0, "DISABLED [0]"}, {kOscillator1KeytrackTrigger, 3, "3"}, {kFilterCutoff, 99.7, "99"},
        {kRandomize, 1, "1"}, {kLibUpperNextBank, 0, "0"},  // the editor's and the librarian's own buttons
    };
    editor->GetParam(kRandomize)->InitDouble("param 272", 0, 0, 1, 1, "", "Editor");
    editor->GetParam(kLibUpperNextBank)->InitDouble("param 203", 0, 0, 1, 1, "", "Librarian");
    for (const DisplayCase& c : cases)
        EXPECT_EQ(c.line, show(c.param, c.value)) << c.param << " at " << c.value;
}

TEST_F(ValueDisplay, ListFamiliesShowTheEntryOfTheValueAndClockedLfoSpeedEveryFourth)
{
    tinyxml2::XMLDocument document;
    document.Parse("<uiconfig><valueLists>"
                   "<list name=\"lfoClockTiming\"><value>1/1</value><value>1/2</value><value>1/4</value></list>"
                   "<list name=\"midiClockSource\"><value>INTERNAL</value><value>MIDI</value></list>"
                   "<list name=\"modulationDestinations\"><value>OFF</value><value>CUTOFF</value></list>"
                   "</valueLists></uiconfig>");
    editor->uiConfig->readReasources(&document);
    const DisplayCase cases[] = {{kGlobalClock, 1, "MIDI [1]"}, {kGlobalClock, 2, " [2]"},
        {kModUnit8Destination, 1, "CUTOFF [1]"}, {kOscillator1Shape, 0, " [0]"}, {kLFO1Speed, 10, "10 [10]"}};
    editor->GetParam(kLFO1ShapeClock)->Set(4.0);  // the last free shape
    for (const DisplayCase& c : cases)
        EXPECT_EQ(c.line, show(c.param, c.value)) << c.param;
    editor->GetParam(kLFO1ShapeClock)->Set(5.0);  // the first clocked one
    EXPECT_EQ("1/4 [10]", show(kLFO1Speed, 10));
    EXPECT_EQ(" [12]", show(kLFO1Speed, 12));
}

TEST_F(ValueDisplay, CommandsSelectorsTheSearchUnnamedOnesWhilePlayingAndChangesBeforeTheEditorIsReadyNeverShow)
{
    for (int param : {kMainTab, kPatchName, kCancelDataRequestParam, kDeviceOutSelection, kPatchSearch,
             kPatchSearchString, kPatchSelectionListLower})
        EXPECT_EQ("-: -", show(param, 1)) << param;
    editor->pluginReady = false;
    EXPECT_EQ("-: -", show(kPanning, 64));
    editor->pluginReady = true;
    editor->GetParam(kFilterCutoff)->InitDouble("", 0.0, 0.0, 127.0, 1.0);
    EXPECT_EQ("-: -", show(kFilterCutoff, 5, true));
    EXPECT_EQ(": 5", show(kFilterCutoff, 5, false));
}
