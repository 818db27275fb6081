#include "ControlDisplay.h"

#include <cstdio>
#include <vector>

#include "IControl.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"
#include "Zelto2X.h"
#include "debugger.h"

namespace {

using consolelog::log;

// Commands, selectors and displays whose change never reaches the status display.
constexpr int kNeverDisplayed[] = {kPatchName, kRefreshFolders, kPatchRename, kCategoryName,
    kControlDisplayLibCategory, kControlDisplayCategory, kCategorySelection, kOscillator1WaveTrigger,
    kOscillator2WaveTrigger, kOscillator3WaveTrigger, kOscillator2KeytrackTrigger, kOscillator2SyncTrigger,
    kShowModMatrix, kEditPage2Switch, kDeviceOutSelection, kDeviceInSelection, kPatchUp, kPatchDown,
    kControlLibrary, kControlDisplayName, kControlDisplayValue, kControlDisplayCC, kShowLibrarian,
    kPushArrangement, kDiscardBankData, kCancelDataRequestParam, kPatchSelectionListUpper,
    kPatchSelectionListLower, kRequestTempData, kMainTab, kLibrarianArea};

bool neverDisplayed(int paramIdx)
{
    for (int index : kNeverDisplayed)
        if (index == paramIdx)
            return true;
    return false;
}

bool inRange(int paramIdx, int first, int last)
{
    return paramIdx >= first && paramIdx <= last;
}

// Every third parameter from first to last (the mod units' sources, amounts, destinations).
bool everyThird(int paramIdx, int first, int last)
{
    return inRange(paramIdx, first, last) && (paramIdx - first) % 3 == 0;
}

std::string number(int v)
{
    return std::to_string(v);
}

// Offset from a centre value: "0" at the centre, "-n" below, "+n" above; empty
// outside lo..hi (hi < 0: no upper bound).
std::string centred(int v, int centre, int lo, int hi)
{
    if (v == centre)
        return "0";
    if (v >= lo && v < centre)
        return number(v - centre);
    if (v > centre && (hi < 0 || v <= hi))
        return "+" + number(v - centre);
    return "";
}

std::string panning(int v)
{
    if (v == 0)
        return "LEFT 100%";
    if (v == 64)
        return "< CENTER >";
    if (v == 127)
        return "RIGHT 100%";
    if (v >= 1 && v <= 63)
        return "LEFT " + number(static_cast<int>((64 - v) * 1.55)) + "%";
    if (v >= 65 && v <= 126)
        return "RIGHT " + number(static_cast<int>((v - 64) * 1.55)) + "%";
    return "";
}

std::string pick(int v, std::initializer_list<const char*> texts)
{
    if (v < 0 || v >= static_cast<int>(texts.size()))
        return "";
    return *(texts.begin() + v);
}

std::string arpSwing(int v)
{
    if (v == 0)
        return "0 %";
    if (v == 50)
        return "50 %";
    if (v == 100)
        return "100%";
    return number(v) + "%";
}

std::string arpDelay(int v)
{
    if (v == 0)
        return "-50%";
    if (v == 50)
        return "0 %";
    if (v == 100)
        return "50%";
    if (v >= 1 && v <= 99)
        return number(v - 50) + "%";
    return "";
}

bool isOnOff(int paramIdx)
{
    return paramIdx == kOscillator1Keytrack || paramIdx == kOscillator2Keytrack || paramIdx == kOscillator2Sync
        || paramIdx == kOverrideTempo || inRange(paramIdx, kPatternStep01Glide, kPatternStep16Glide)
        || paramIdx == kPartLock || inRange(paramIdx, kSectionLockOsc1, kSectionLockArp)
        || paramIdx == kGlobalMidiThru;
}

bool isBipolar64(int paramIdx)
{
    return paramIdx == kFilterCutoffKeytrack || paramIdx == kFilterCutoffEnv1Sens
        || paramIdx == kFilterCutoffVeloSens || paramIdx == kVolumeVeloSense
        || everyThird(paramIdx, kModUnit1Amount, kModUnit8Amount);
}

// The named value list a parameter shows, or null.
const char* valueListOf(int paramIdx)
{
    switch (paramIdx) {
    case kOscillator1Shape: return "osc1Shape";
    case kOscillator2Shape: return "osc2Shape";
    case kOscillator3Shape: return "osc3Shape";
    case kOscillator3Routing: return "osc3Routing";
    case kFilterType: return "filterType";
    case kVolumeDriveCurve: return "vcaDriveCurve";
    case kEnvelope1Loop:
    case kEnvelope2Loop: return "loopingModes";
    case kEnvelope1Trigger:
    case kEnvelope2Trigger: return "triggerModes";
    case kLFO1Shape: return "lfo1Shape";
    case kPortamentoMode: return "glideMode";
    case kArpOnOff: return "arpActiveMode";
    case kArpRange: return "arpOctaveRange";
    case kArpTempo: return "arpTempoValues";
    case kArpClock: return "arpClock";
    case kArpMode: return "arpModeList";
    case kStepDuration: return "stepDuration";
    case kGlobalMidiChannel: return "omniToSixteen";
    case kGlobalClock: return "midiClockSource";
    default: break;
    }
    if (everyThird(paramIdx, kModUnit1Source, kModUnit8Source))
        return "modulationSources";
    if (everyThird(paramIdx, kModUnit1Destination, kModUnit8Destination))
        return "modulationDestinations";
    if (inRange(paramIdx, kPatternStep01Event, kPatternStep16Event))
        return "patternEventType";
    return nullptr;
}

std::string listEntry(Zelto2X* plug, const char* listName, int v)
{
    if (!plug->uiConfig || v < 0)
        return "";
    // Read-only: the display runs on the MIDI input thread as well.
    const std::vector<std::string>* list = listName ? plug->uiConfig->findValueList(listName) : nullptr;
    if (!list || v >= static_cast<int>(list->size()))
        return "";
    return (*list)[static_cast<size_t>(v)];
}

}  // namespace

std::string ControlDisplay::familyText(Zelto2X* plug, int paramIdx, int v, bool& hasFamily)
{
    hasFamily = true;
    if (inRange(paramIdx, kOscillator1Semitone, kOscillator3Semitone))
        return centred(v, 48, 0, 97);
    if (paramIdx == kGlobalTranspose)
        return centred(v, 24, 0, -1);
    if (isBipolar64(paramIdx))
        return centred(v, 64, 0, 127);
    if (paramIdx == kPitchBendScaleUp)
        return "+" + number(v);
    if (paramIdx == kPitchBendScaleDown)
        return "-" + number(v);
    if (paramIdx == kPanning)
        return panning(v);
    if (inRange(paramIdx, kPatternStep01Time, kPatternStep16Time))
        return pick(v, {"25 %", "50 %", "75 %", "100 %"});
    if (paramIdx == kArpSwing)
        return arpSwing(v);
    if (paramIdx == kArpDelay)
        return arpDelay(v);
    if (paramIdx == kLFO1Speed)
        return plug->paramValue(kLFO1ShapeClock) >= 5.0 ? listEntry(plug, "lfoClockTiming", v / 4) : number(v);
    if (isOnOff(paramIdx))
        return pick(v, {"OFF", "ON"});
    if (paramIdx == kGlobalLocalControl)
        return pick(v, {"DISABLED", "ALLOWED"});
    if (const char* listName = valueListOf(paramIdx))
        return listEntry(plug, listName, v);
    hasFamily = false;
    return "";
}

void ControlDisplay::controlDisplay(Zelto2X* plug, int paramIdx, double value, bool transportRunning)
{
    if (neverDisplayed(paramIdx) || !plug->pluginReady)
        return;
    if (paramIdx == kPatchSearchString || paramIdx == kPatchSearch)
        return;
    IParam* param = plug->GetParam(paramIdx);
    if (!param)
        return;
    const std::string name = param->GetNameForHost();
    if (transportRunning && name.empty())
        return;
    if (paramIdx == kReleaseAllLocks) {
        plug->showStatusLines(value == 1.0 ? "All Section Locks Released" : name.c_str(), nullptr);
        return;
    }
    const int v = static_cast<int>(value);
    log("* * * * Control Display = Param Name : %s \t Param Value : %i \t Param ID : \t %i\n", name.c_str(), v,
        paramIdx);
    bool hasFamily = false;
    const std::string text = familyText(plug, paramIdx, v, hasFamily);
    if (!hasFamily) {
        plug->showStatusLines(name.c_str(), getValueString(v).c_str());
        return;
    }
    log("last parameter scoped: %s\n", name.c_str());
    const std::string line = text + " [" + number(v) + "]";
    plug->showStatusLines(name.c_str(), line.c_str());
}

std::string ControlDisplay::getValueString(double value)
{
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.0f", value);
    return length > 0 ? std::string(text) : std::string();
}
