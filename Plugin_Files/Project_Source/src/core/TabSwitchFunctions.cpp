#include "TabSwitchFunctions.h"

#include <cstdio>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "Zelto2X.h"

namespace {

int truncated(Zelto2X* plug, int paramIdx)
{
    return static_cast<int>(plug->paramValue(paramIdx));
}

// Shows the child whose id equals id and hides the others; records the selection.
void selectChild(ControlLayer* layer, int id)
{
    layer->SetSelectedChildId(id);
    for (int i = 0; i < layer->NLayers(); ++i)
        layer->GetLayer(i)->Hide(layer->GetLayer(i)->GetID() != id);
}

std::string displayText0(Zelto2X* plug, int paramIdx)
{
    IParam* param = plug->GetParam(paramIdx);
    return param ? param->GetDisplayText(0) : std::string();
}

constexpr const char* kLibrarianPopups[] = {"LeftPatchPopupMenu", "RightPatchPopupMenu", "RightCategoryPopupMenu",
    "RightSearchPopupMenu", "BANKEDITMENU"};

constexpr const char* kShapeDependentLayers[] = {"aboutWindow", "osc1KeytrackBtn", "osc1AmpEnvFade",
    "osc1UnisonKnob", "osc2KeytrackBtn", "osc2AmpEnvFade", "oscillator2Parameters", "oscillator3Parameters",
    "lfo1ClockedLayer"};

void hidePatternOverlays(Zelto2X* plug)
{
    for (int step = 2; step <= 16; ++step) {
        char name[32];
        std::snprintf(name, sizeof name, "pattStepOverlayer%02d", step);
        plug->showLayer(name, false);
    }
}

void commonPart(Zelto2X* plug, int tab)
{
    ControlLayer* root = plug->findLayer("root");
    if (root)
        selectChild(root, tab);
    plug->showLayer("miniMixer", tab != 0);
    for (const char* name : kLibrarianPopups)
        plug->showLayer(name, false);
    plug->grayParamControl(kRandomize, false);
    plug->showLayer("discardChangesLayerRight", false);
    plug->displayPatchName(displayText0(plug, kPatchName));
    plug->showLayer("arpTempoKnob", false);
    plug->showLayer("arpTempoClock", false);
    plug->showLayer("categoryLimit", false);
    plug->displayCurrentSoundCategory();
    plug->showLayer("aboutWindow", false);
    hidePatternOverlays(plug);
    for (const char* name : kShapeDependentLayers)
        plug->showLayer(name, false);
    plug->grayParamControl(kControlLibrary, false);
    plug->grayParamControl(kShowLibrarian, false);
    plug->showLayer("searchField", false);
    plug->showLayer("saveChangesLayer", false);
    plug->showLayer("releaseAllLocksLayer", true);
    plug->grayLayer("releaseAllLocksLayer", !plug->sectionLockActive);
    // The page opens on its first sub-page.
    if (root && tab > 0 && tab < root->NLayers())
        selectChild(root->GetLayer(tab), 0);
}

void librarianTab(Zelto2X* plug)
{
    plug->showProgressOverlay(true);
    plug->setLibrarianDragEnabled(true);
    plug->showLayer("BANKEDITMENU", true);
    plug->showLayer("saveChangesLayer", true);
    if (plug->paramValue(kBankEditUnsaved) == 0.0)
        plug->showLayer("LeftPatchPopupMenu", true);
    else
        plug->showLayer("discardChangesLayerRight", true);
    plug->showSearchOrCategorySwitch();
    plug->showLowerListMenu();
    plug->showSelectedSlotCategory();
    plug->showProgressOverlay(false);
}

void setOctaveIndicator(Zelto2X* plug, int indicator, int semitoneParam)
{
    const int semitone = truncated(plug, semitoneParam);
    plug->setFromPlug(indicator, 0.0);
    if (semitone >= 0 && semitone <= 96 && semitone % 12 == 0)
        plug->setFromPlug(indicator, 1.0);
}

void oscillatorTab(Zelto2X* plug)
{
    for (const char* name : {"oscillator2Parameters", "oscillator3Parameters"}) {
        plug->showLayer(name, true);
        plug->grayLayer(name, false);
    }
    setOctaveIndicator(plug, kOscillator1OctaveIndicator, kOscillator1Semitone);
    setOctaveIndicator(plug, kOscillator2OctaveIndicator, kOscillator2Semitone);
    setOctaveIndicator(plug, kOscillator3OctaveIndicator, kOscillator3Semitone);
    plug->showLayer("osc2KeytrackBtn", true);

    const int shape = truncated(plug, kOscillator1Shape);
    if (shape <= 3) {
        plug->showLayer("osc1KeytrackBtn", true);
    } else if (shape <= 7) {
        plug->showLayer("osc1UnisonKnob", true);
    } else if (shape == 9) {
        plug->showLayer("osc2KeytrackBtn", false);
        plug->showLayer("osc1AmpEnvFade", true);
        plug->showLayer("osc2AmpEnvFade", true);
    } else {
        plug->showLayer("osc1AmpEnvFade", true);
    }
    plug->grayLayer("osc2KeytrackBtn", false);
    plug->grayLayer("osc2AmpEnvFade", false);
    if (shape >= 4 && shape <= 8) {
        for (const char* name : {"oscillator2Parameters", "osc2KeytrackBtn", "osc2AmpEnvFade", "oscillator3Parameters"})
            plug->grayLayer(name, true);
    } else if (shape == 9) {
        plug->grayLayer("oscillator3Parameters", true);
    }
    if (truncated(plug, kLFO1ShapeClock) >= 5)
        plug->showLayer("lfo1ClockedLayer", true);
}

void arpeggiatorTab(Zelto2X* plug)
{
    plug->showLayer("arpTempoClock", true);
    plug->showLayer("arpTempoKnob", true);
    const bool clocked = truncated(plug, kGlobalClock) > 0;
    plug->grayLayer("arpTempoClock", !clocked);
    plug->grayLayer("arpTempoKnob", clocked);
    ControlLayer* arpeggiator = plug->findLayer("arpeggiator");
    if (!arpeggiator)
        return;
    const int position = arpeggiator->GetSelectedChildId();
    if (position < 0 || position >= arpeggiator->NLayers())
        return;
    ControlLayer* page = arpeggiator->GetLayer(position);
    page->showMultiLayers(200);
    const int length = truncated(plug, kPatternLength);
    page->GrayOutUserArp(true, 200, 200 + length);
    plug->DrawPatternOverlayer(length);
}

}  // namespace

void TabSwitchFunctions::mainTabSwitch(Zelto2X* plug, int, int tab, int)
{
    if (!plug)
        return;
    commonPart(plug, tab);
    switch (tab) {
    case 1: librarianTab(plug); break;
    case 2: oscillatorTab(plug); break;
    case 3: arpeggiatorTab(plug); break;
    default: break;
    }
}
