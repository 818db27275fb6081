// The editor's parameter handlers: the frame shared by changes from the GUI
// or the host (OnParamChange) and from the hardware (OnParamChange2), the
// early cases and trigger buttons, the sound, lock and MIDI-setup cases. The
// librarian and window commands are in Zelto2XCommands.cpp.
//
// Threads: both handlers run under the plug-in mutex (recursive; trigger
// targets re-enter it) on the thread of the change: main, host or MIDI input.

#include "Zelto2X.h"

#include <algorithm>

#include "ControlAction.h"
#include "ControlDisplay.h"
#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "TabSwitchFunctions.h"
#include "dovor/timing.h"

namespace {

using consolelog::log;

bool inRange(int paramIdx, int first, int last)
{
    return paramIdx >= first && paramIdx <= last;
}

bool isOctave(int semitone)
{
    return semitone >= 0 && semitone <= 96 && semitone % 12 == 0;
}

// Buttons that step a target parameter round its values: target, last value
// that still steps up (the next press after it gives 0).
struct CyclicTrigger {
    int trigger;
    int target;
    int limit;
};

constexpr CyclicTrigger kCyclicTriggers[] = {
    {kVCADriveCurveTrigger, kVolumeDriveCurve, 2},
    {kFilterTypeTrigger, kFilterType, 2},
    {kOscillator3RoutingTrigger, kOscillator3Routing, 2},
    {kOscillator1WaveTrigger, kOscillator1Shape, 8},
    {kOscillator2WaveTrigger, kOscillator2Shape, 3},
    {kOscillator3WaveTrigger, kOscillator3Shape, 3},
    {kOscillator1KeytrackTrigger, kOscillator1Keytrack, 0},
    {kOscillator2KeytrackTrigger, kOscillator2Keytrack, 0},
    {kArpModeTrigger, kArpMode, 5},
};

const CyclicTrigger* cyclicTrigger(int paramIdx)
{
    for (const CyclicTrigger& trigger : kCyclicTriggers)
        if (trigger.trigger == paramIdx)
            return &trigger;
    return nullptr;
}

bool isTrigger(int paramIdx)
{
    return cyclicTrigger(paramIdx) || paramIdx == kOscillator2SyncTrigger || paramIdx == kLFO1ShapeTrigger
        || paramIdx == kArpSyncTrigger;
}

// The DAW filter flags follow parameters 184..190 and the hardware ones
// 191..197, in the order of EMidiFilter; value 1 lets the type pass.
constexpr int kDawFilterFirst = kMIDIFilterDAWCCPassThrough;
constexpr int kHwFilterFirst = kMIDIFilterHWCCPassThrough;

// Marks the calling thread as the one handling a button's release for the
// scope, and gives the mark back as it found it (a handler may nest).
class StatusHeldForRelease {
public:
    StatusHeldForRelease(std::atomic<std::thread::id>& releaseThread, bool release)
        : m_releaseThread(releaseThread), m_before(releaseThread.load())
    {
        if (release)
            m_releaseThread = std::this_thread::get_id();
    }
    ~StatusHeldForRelease() { m_releaseThread = m_before; }
    StatusHeldForRelease(const StatusHeldForRelease&) = delete;
    StatusHeldForRelease& operator=(const StatusHeldForRelease&) = delete;

private:
    std::atomic<std::thread::id>& m_releaseThread;
    const std::thread::id m_before;
};

}  // namespace

// ---- Frames -------------------------------------------------------------------------

void Zelto2X::OnParamChange(int paramIdx)
{
    IMutexLock lock(this);
    IParam* param = GetParam(paramIdx);
    if (!param)
        return;
    double v = param->Value();
    const int n = static_cast<int>(v);
    ControlAction* action = param->GetControlAction();
    const StatusHeldForRelease held(m_releaseThread, takeButtonRelease(paramIdx, n));
    if (earlyParamCase(paramIdx, n, v))
        return;
    if (GetGUI())
        ControlDisplay::controlDisplay(this, paramIdx, v, transportRunning);
    if (paramCase(paramIdx, n, v) || commandCase(paramIdx, n))
        return;
    switchLayerAndAct(action, paramIdx, v);
    // The synth answers to the ID just sent from now on: every later message
    // must carry it, not the one adopted from its last dump.
    if (paramIdx == kGlobalDeviceID && midiOutSet)
        currentDeviceId = n;
}

void Zelto2X::switchLayerAndAct(ControlAction* action, int paramIdx, double v)
{
    if (!action)
        return;
    if (action->switchedLayer)
        action->switchedLayer->SelectChild(static_cast<int>(v));
    processControlAction(action, paramIdx, v);
}

void Zelto2X::OnParamChange2(int paramIdx)
{
    IMutexLock lock(this);
    IParam* param = GetParam(paramIdx);
    if (!param)
        return;
    hardwareChangeActive = true;
    const double v = param->Value();
    const int n = static_cast<int>(v);
    ControlDisplay::controlDisplay(this, paramIdx, v, false);
    if (paramIdx == kMainTab)
        TabSwitchFunctions::mainTabSwitch(this, kMainTab, n, 0);
    switchLayerAndAct(param->GetControlAction(), paramIdx, v);
    if (midiMessageManager)
        midiMessageManager->patchRequested = false;
    hardwareChangeActive = false;
}

// ---- Momentary buttons ----------------------------------------------------------------

bool Zelto2X::takeButtonRelease(int paramIdx, int n)
{
    if (paramIdx < 0 || paramIdx >= kNumParams || !m_momentaryButtons[static_cast<size_t>(paramIdx)])
        return false;
    const bool release = n == 0 && m_pressedButton == paramIdx;
    if (n != 0 || release)
        m_pressedButton = n != 0 ? paramIdx : -1;
    return release;
}

bool Zelto2X::statusHeldByRelease() const
{
    return m_releaseThread.load() == std::this_thread::get_id();
}

// ---- Early cases (before the display) ---------------------------------------------------

bool Zelto2X::earlyParamCase(int paramIdx, int n, double& v)
{
    if (inRange(paramIdx, kOscillator1Semitone, kOscillator3Semitone)) {
        const int indicator = kOscillator1OctaveIndicator + paramIdx - kOscillator1Semitone;
        if (isOctave(n))
            setFromPlug(indicator, 1.0);
        else if (paramValue(indicator) == 1.0)
            setFromPlug(indicator, 0.0);
        return false;
    }
    switch (paramIdx) {
    case kArpOnOff:
        setFromPlug(kArpOnOffIndicator, n == 0 ? 0.0 : 1.0);
        return false;
    case kArpSwing:
    case kArpDelay:
        // The knob's 0..127 reach the display and the synth as 0..100, no rounding of its own: the
        // control action's repeat rule takes the integer part.
        v = v / 1.27;
        return false;
    case kLibUpperNextBank:
    case kLibUpperPreviousBank:
    case kLibLowerNextBank:
    case kLibLowerPreviousBank:
        if (n != 1)
            return false;
        stepLibraryBank(paramIdx);
        return true;
    case kGlobalClock:
        grayLayer("arpTempoClock", n <= 0);
        grayLayer("arpTempoKnob", n > 0);
        if (midiOutSet) {
            globalSettingsSent = false;
            startWholeSoundJob(WholeSoundSend::ToHardware);
        }
        return false;
    default:
        break;
    }
    if (!isTrigger(paramIdx))
        return false;
    if (n != 0)
        triggerCase(paramIdx, n);
    return true;
}

bool Zelto2X::triggerCase(int paramIdx, int)
{
    if (const CyclicTrigger* trigger = cyclicTrigger(paramIdx)) {
        const int m = static_cast<int>(paramValue(trigger->target));
        setFromPlug(trigger->target, m <= trigger->limit ? m + 1 : 0);
        OnParamChange(trigger->target);
        return true;
    }
    switch (paramIdx) {
    case kOscillator2SyncTrigger: {
        const int next = paramValue(kOscillator2Sync) < 1.0 ? 1 : 0;
        if (next == 0) {
            setParamValueClamped(kOscillator2Sync, 0.0);
            TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, 0);
        }
        setFromPlug(kOscillator2Sync, next);
        OnParamChange(kOscillator2Sync);
        return true;
    }
    case kLFO1ShapeTrigger: {
        showProgressOverlay(true);
        const int clock = static_cast<int>(paramValue(kLFO1ShapeClock));
        int nextClock = clock + 1;
        int shape = 0;
        if (clock < 4) {
            shape = static_cast<int>(paramValue(kLFO1Shape)) + 1;
        } else {
            showLayer("lfo1ClockedLayer", true);
            if (clock >= 9) {
                nextClock = 0;
                showLayer("lfo1ClockedLayer", false);
            } else {
                shape = clock - 4;
            }
        }
        showProgressOverlay(false);
        setFromPlug(kLFO1ShapeClock, nextClock);
        setFromPlug(kLFO1Shape, shape);
        OnParamChange(kLFO1Shape);
        return true;
    }
    case kArpSyncTrigger: {
        const int indicator = paramValue(kArpSyncIndicator) < 1.0 ? 1 : 0;
        showLayer(indicator ? "arpTempoKnob" : "arpTempoClock", false);
        showLayer(indicator ? "arpTempoClock" : "arpTempoKnob", true);
        const int cc = indicator ? 104 : 105;
        const int data = indicator ? static_cast<int>(paramValue(kArpTempo))
                                   : static_cast<int>(paramValue(kArpClock)) + 1;
        setFromPlug(kArpSyncIndicator, indicator);
        IMidiMsg msg;
        msg.MakeControlChangeMsg(cc, std::clamp(data, 0, 127) / 127.0, deviceChannel());
        setTextOfParam(kControlDisplayCC, ("CC|" + std::to_string(cc)).c_str());
        if (mayEchoToHardware())
            MIDIOutRoutingSwitch(&msg);
        return true;
    }
    default:
        return false;
    }
}

// ---- Sound parameters, locks, global settings and MIDI set-up ------------------------

void Zelto2X::randomizeSound()
{
    midiMessageManager->randomGenerator();
    midiMessageManager->randomizePatchSettings(0);
    requestPending = true;
    startWholeSoundJob(WholeSoundSend::ToHardware);
    Sleep(500);
    showStatusLines("Patch Randomized", nullptr);
    setFromPlug(kRandomize, 0.0);
}

void Zelto2X::deriveSectionLockState()
{
    bool anyLocked = false;
    for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock)
        anyLocked = anyLocked || static_cast<int>(paramValue(lock)) == 1;
    sectionLockActive = anyLocked;
    grayLayer("releaseAllLocksLayer", !anyLocked);
}

void Zelto2X::reportPortNotOpened(int selectionParam, const std::string& name)
{
    showLibrarianResult(selectionParam == kDeviceInSelection ? "Unable to open MIDI IN!" : "Unable to open MIDI OUT!",
        name);
    setFromPlug(selectionParam, 0.0);
}

void Zelto2X::selectOutputDevice(int n)
{
    IParam* param = GetParam(kDeviceOutSelection);
    const std::string name = param ? param->GetDisplayText(n) : std::string();
    const bool portChosen = n > 0;
    if (portChosen)
        watchChosenPorts();
    setExternalMIDIOut(n, name.c_str());
    if (n <= 0) {
        midiMessageManager->resetContinuousClock(true);
        midiOutSet = false;
        if (portChosen)
            reportPortNotOpened(kDeviceOutSelection, name);
        return;
    }
    outputPortOpened();
}

void Zelto2X::outputPortOpened()
{
    midiMessageManager->startJobDispatcher();
    midiOutSet = true;
    sendSysExInitialization();
}

void Zelto2X::selectInputDevice(int n)
{
    IParam* param = GetParam(kDeviceInSelection);
    const std::string name = param ? param->GetDisplayText(n) : std::string();
    const bool portChosen = n > 0;
    if (portChosen)
        watchChosenPorts();
    if (setExternalMIDIIn(n, name.c_str()) <= 0 && portChosen)
        reportPortNotOpened(kDeviceInSelection, name);
}

void Zelto2X::watchChosenPorts()
{
    watchExternalMIDIPorts(&Zelto2X::onChosenPortChange, this);
}

void Zelto2X::onChosenPortChange(void* editor, bool input, int position, const std::string& name)
{
    static_cast<Zelto2X*>(editor)->chosenPortChanged(input, position, name);
}

void Zelto2X::chosenPortChanged(bool input, int position, const std::string& name)
{
    const int selectionParam = input ? kDeviceInSelection : kDeviceOutSelection;
    if (position == 0) {
        if (!input) {
            midiMessageManager->resetContinuousClock(true);
            midiOutSet = false;
        }
        midiMessageManager->sender->notePortGone(input);
        setFromPlug(selectionParam, 0.0);
        showLibrarianResult(input ? "MIDI IN device gone!" : "MIDI OUT device gone!", name);
        return;
    }
    // A port the menu did not list when it was built joins it at the end.
    IParam* param = GetParam(selectionParam);
    if (param && param->GetDisplayText(position) != name)
        param->SetDisplayText(position, name.c_str());
    setFromPlug(selectionParam, position);
    if (!input)
        outputPortOpened();
}

bool Zelto2X::paramCase(int paramIdx, int n, double)
{
    if (inRange(paramIdx, kOscillator1Shape, kOscillator3Shape)) {
        showProgressOverlay(true);
        TabSwitchFunctions::mainTabSwitch(this, kMainTab, static_cast<int>(paramValue(kMainTab)), 0);
        showProgressOverlay(false);
        return false;
    }
    if (inRange(paramIdx, kPatternStep01Event, kPatternStep16Glide)) {
        // The steps have no message of their own: they reach the hardware
        // only inside the whole sound, without the global settings.
        if (midiOutSet)
            startWholeSoundJob(WholeSoundSend::ToHardwareWithoutGlobal);
        return false;
    }
    if (inRange(paramIdx, kSectionLockOsc1, kSectionLockArp)) {
        deriveSectionLockState();
        return false;
    }
    if (inRange(paramIdx, kDawFilterFirst, kDawFilterFirst + kMidiFilterCount - 1)) {
        dawFilter[paramIdx - kDawFilterFirst] = n != 1;
        return false;
    }
    if (inRange(paramIdx, kHwFilterFirst, kHwFilterFirst + kMidiFilterCount - 1)) {
        hwFilter[paramIdx - kHwFilterFirst] = n != 1;
        return false;
    }
    switch (paramIdx) {
    case kArpTempo:
        if (paramValue(kOverrideTempo) == 0.0)
            lastTempoValue = n;
        return false;
    case kLFO1Shape: {
        // The wave knob has no message of its own: the synth's byte is the
        // SHAPE menu's, which keeps its clock sync.
        const int clock = static_cast<int>(paramValue(kLFO1ShapeClock));
        setFromPlug(kLFO1ShapeClock, n + (clock >= 5 ? 5 : 0));
        if (IParam* shape = GetParam(kLFO1ShapeClock))
            switchLayerAndAct(shape->GetControlAction(), kLFO1ShapeClock, shape->Value());
        return false;
    }
    case kPatternLength:
        showProgressOverlay(true);
        if (static_cast<int>(paramValue(kMainTab)) == 3)
            TabSwitchFunctions::mainTabSwitch(this, kMainTab, 3, 0);
        showProgressOverlay(false);
        return false;
    case kReleaseAllLocks:
        if (n == 1) {
            for (int lock = kSectionLockOsc1; lock <= kReleaseAllLocks; ++lock)
                setFromPlug(lock, 0.0);
            grayLayer("releaseAllLocksLayer", true);
            sectionLockActive = false;
        }
        return false;
    case kGlobalLocalControl:
        localControl = n == 1;
        return false;
    case kPatchName:
    case kCategoryName:
        midiMessageManager->dumpReplyFlag = false;
        if (midiOutSet)
            startWholeSoundJob(WholeSoundSend::ToHardwareWithoutGlobal);
        globalSettingsSent = false;
        return false;
    case kMIDIFilterTrackIncomingMIDI:
        trackIncomingMIDI = n == 1;
        return false;
    case kMIDIFilterDirectToHardware:
        if (n == 1) {
            setFromPlug(kMIDIFilterToDAWBuffer, 0.0);
            toDAWBuffer = false;
        }
        return false;
    case kMIDIFilterToDAWBuffer:
        if (n == 1) {
            setFromPlug(kMIDIFilterDirectToHardware, 0.0);
            toDAWBuffer = true;
        }
        return false;
    case kSendMIDIClockPointer:
        sendClockPointer = n == 1;
        return false;
    case kSendMIDIClockInfo:
        sendClockInfo = n == 1;
        continuousClockStarted = false;
        midiMessageManager->resetContinuousClock(n != 1);
        return false;
    case kAdjustDAWOffset:
        dawOffset = 2 * n + GetBlockSize();
        return false;
    case kRandomize:
        if (n != 1 || paramValue(kMainTab) <= 0.0)
            return false;
        randomizeSound();
        return true;
    case kDeviceOutSelection:
        selectOutputDevice(n);
        return false;
    case kDeviceInSelection:
        selectInputDevice(n);
        return false;
    case kPushArrangement:
        if (n == 0)
            return true;
        globalSettingsSent = false;
        sendGlobalBeforeSound = true;
        midiMessageManager->dumpReplyFlag = false;
        if (outputOpenOrHint())
            startWholeSoundJob(WholeSoundSend::ToHardware);
        return false;
    case kCancelDataRequestParam:
        if (n == 1)
            midiMessageManager->sender->cancelRequested = true;
        return true;
    case kRequestTempData:
        if (n == 0)
            return true;
        if (n != 1)
            midiMessageManager->patchRequested = false;
        else if (outputOpenOrHint())
            midiMessageManager->sendActiveArrangementRequestSysex(true);
        return false;
    default:
        return false;
    }
}
