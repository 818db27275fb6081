// The editor's MIDI switchboard: incoming short messages and SysEx from the
// host and the hardware, the routing switch, the hardware senders with the one
// SysEx checksum rule, the MIDI LED, and the control-container lookups.

#include "Zelto2X.h"

#include <algorithm>
#include <cstdio>

#include "ControlAction.h"
#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "dovor/timing.h"

namespace {

using consolelog::log;

constexpr const char* kSetMidiFirst = "Set MIDI I/O First!";

// How deep the calling thread is inside an incoming message: the manager's
// "updating from MIDI" flag belongs to the thread that handles the message,
// not to a GUI change that happens to run meanwhile.
thread_local int t_incomingDepth = 0;

class IncomingMessageScope {
public:
    IncomingMessageScope() { ++t_incomingDepth; }
    ~IncomingMessageScope() { --t_incomingDepth; }
    IncomingMessageScope(const IncomingMessageScope&) = delete;
    IncomingMessageScope& operator=(const IncomingMessageScope&) = delete;
};

}  // namespace

// ---- Incoming MIDI --------------------------------------------------------------

void Zelto2X::ProcessMidiMsg(IMidiMsg* msg, bool fromHardware)
{
    IncomingMessageScope incoming;
    if (patchLoading) {
        log("Message from MIDI determinated because Patch Loading is in process!\n");
        return;
    }
    if (midiMessageManager->patchRequested) {
        log("\tData from HW requested via program change or some, returning. patchRequested = true\n");
        return;
    }
    if (msg->StatusMsg() == IMidiMsg::kNone)
        return;
    if (fromHardware)
        midiMessageManager->ProcessMidiMsgFromDevice(msg);
    else
        midiMessageManager->ProcessMidiMsgFromDAW(msg, 0);
}

void Zelto2X::ProcessSysEx(ISysEx* msg, bool fromHardware)
{
    // Anything shorter cannot carry the maker and model bytes every check reads.
    if (!msg || !msg->mData || msg->mSize < 3)
        return;
    IncomingMessageScope incoming;
    if (patchLoading) {
        log("Message from SysEx determinated because Patch Loading is in process!\n");
        return;
    }
    if (fromHardware && hwFilter[kFilterSysEx]) {
        log("\tData from HW filtered, returning. incomingSysExProcessed = true\n");
        return;
    }
    if (!fromHardware && dawFilter[kFilterSysEx]) {
        log("\tData from DAW filtered, returning. incomingSysExProcessed = true\n");
        return;
    }
    if (trackIncomingMIDI && msg->mData[1] == zsysex::kManufacturer
        && msg->mData[2] == zsysex::kModel)
        lightMidiLed();
    midiMessageManager->ProcessSysEx(msg, fromHardware);
    if (miniMixerLayer)
        miniMixerLayer->setControlsDirty();
    if (midiMessageManager->dataProcessed) {
        log("\tData processed! incomingSysExProcessed = true\n");
        incomingSysExProcessed = true;
    }
}

void Zelto2X::lightMidiLed()
{
    IGraphics* graphics = GetGUI();
    if (!graphics || midiLedOn)
        return;
    graphics->SetParameterFromPlug(kMIDILed, 1.0, false);
    midiLedOn = 1;
    midiLedTime = GetTickCount();
}

// ---- Sending to the hardware ------------------------------------------------------

void Zelto2X::checksumCheckAndSend(unsigned char* bytes, int size)
{
    if (!outputOpenOrHint())
        return;
    const int sum = zsysex::applyOutgoingChecksum(bytes, size);
    if (sum >= 0)
        log("checksum for outgoing data = %i\n", sum);
    if (!trackIncomingMIDI && size >= 3 && bytes[1] == zsysex::kManufacturer && bytes[2] == zsysex::kModel)
        lightMidiLed();
    SendMidiSysex(bytes, size);
    debugOutput.logSysExOutMessageByte(bytes, size);
}

void Zelto2X::MIDIOutRoutingSwitch(IMidiMsg* msg)
{
    // Without an output the queue would only collect a stale burst for the
    // moment a port opens; the direct path reports the missing output instead.
    if (toDAWBuffer && midiOutSet)
        midiQueue.Add(msg);
    else
        sendMidiMsgAndLog(msg);
}

void Zelto2X::sendMidiMsgAndLog(IMidiMsg* msg)
{
    if (!outputOpenOrHint()) {
        log("\t--- midiOutSet status: %i --- NO MESSAGE SENT! ---\n", 0);
        return;
    }
    if (!trackIncomingMIDI && msg->Channel() == deviceChannel())
        lightMidiLed();
    SendMidiMsg(msg);
}

void Zelto2X::SendProgramChangeCommand(int program, int offset)
{
    if (!midiOutSet)
        return;
    IMidiMsg msg;
    msg.MakeProgramChangeMsg(std::min(program, 100) / 127.0, deviceChannel());
    sendMidiMsgAndLog(&msg);
    Sleep(getTimerValue());
}

int Zelto2X::deviceChannel() const
{
    const int channel = static_cast<int>(paramValue(kGlobalMidiChannel));
    return channel > 0 ? channel - 1 : 0;
}

int Zelto2X::getTimerValue()
{
    switch (static_cast<int>(paramValue(kLibSyncTimer))) {
    case 0: return 200;
    case 1: return 300;
    case 2: return 400;
    case 3: return 500;
    default: return 100;
    }
}

void Zelto2X::sendSysExInitialization()
{
    // A busy synth cannot be asked now: the user is told rather than left
    // without an answer.
    if (!midiOutSet || patchLoading || refuseWhileBusy())
        return;
    midiMessageManager->dataProcessed = false;
    {
        // Before the job starts, so that its end always finds the flag set.
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        m_enquiryRunning = true;
    }
    // The job holds deviceInitialization while it really runs.
    if (!midiMessageManager->sendDeviceIdEnquiry())
        deviceEnquiryEnded(false);
    Sleep(100);
}

bool Zelto2X::allNotesOffWanted() const
{
    if (!midiOutSet || !pluginReady)
        return false;
    if (deviceInitialization) {
        log("AllSoundsOff() : Device Initialization in process, returning\n");
        return false;
    }
    return true;
}

void Zelto2X::AllSoundsOff()
{
    if (!allNotesOffWanted())
        return;
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, 0.0, deviceChannel());
    MIDIOutRoutingSwitch(&msg);
}

bool Zelto2X::BankChangeMessage()
{
    currentProgram = static_cast<int>(paramValue(kCurrentPatch));
    const int bank = static_cast<int>(paramValue(kCurrentBank));
    AllSoundsOff();
    const int channel = deviceChannel();
    IMidiMsg msg;
    msg.MakeControlChangeMsg(0, 0.0, channel);
    sendMidiMsgAndLog(&msg);
    Sleep(25);
    msg.MakeControlChangeMsg(32, bank / 127.0, channel);
    sendMidiMsgAndLog(&msg);
    Sleep(25);
    msg.MakeProgramChangeMsg(currentProgram / 127.0, channel);
    sendMidiMsgAndLog(&msg);
    Sleep(50);
    return true;
}

namespace {

// Lets go of every level of the calling thread's hold on the plug-in mutex
// for a scope and takes them all again afterwards, so a wait inside a
// parameter handler does not block the threads that must end it.
class MutexRelease {
public:
    explicit MutexRelease(ROZ_Mutex* mutex) : m_mutex(mutex)
    {
        while (m_mutex->IsOwnedByCurrentThread()) {
            m_mutex->Leave();
            ++m_depth;
        }
    }
    ~MutexRelease()
    {
        for (int i = 0; i < m_depth; ++i)
            m_mutex->Enter();
    }
    MutexRelease(const MutexRelease&) = delete;
    MutexRelease& operator=(const MutexRelease&) = delete;

private:
    ROZ_Mutex* m_mutex;
    int m_depth = 0;
};

// A sound request gives up after 20 polls of at most 500 ms.
constexpr int kSoundRequestWaitLimitMs = 10000;

}  // namespace

bool Zelto2X::requestBusy() const
{
    // A started request sets patchRequested only once its worker runs.
    return midiMessageManager->patchRequested || midiMessageManager->requestThreadRunning();
}

void Zelto2X::sendPartDataBackToHardware(int)
{
    if (!midiOutSet || !sectionLockActive)
        return;
    {
        // The dump that ends the wait arrives on the MIDI input thread, whose
        // decoder needs the plug-in mutex.
        MutexRelease release(GetMutex());
        if (!patchLoading)
            Sleep(200);
        int waited = 0;
        do {
            Sleep(200);
            waited += 200;
            log("Sleeping while patch request is finished: %i ms passed - counting..\n", waited);
        } while (requestBusy() && waited < kSoundRequestWaitLimitMs);
        if (requestBusy()) {
            log("Patch request not finished after %i ms, sound not sent back\n", waited);
            return;
        }
    }
    if (sectionLockActive) {
        log("Sending full arrange to hardware!\n");
        startWholeSoundJob(WholeSoundSend::ToHardware);
    }
}

void Zelto2X::sendPatchAndPatternToDevice(int, bool, bool sendGlobalFirst, bool, bool)
{
    sendGlobalBeforeSound = sendGlobalFirst;
    patchLoading = false;
}

// ---- Control actions ------------------------------------------------------------

bool Zelto2X::mayEchoToHardware() const
{
    if (hardwareChangeActive)
        return false;
    if (t_incomingDepth == 0)
        return true;
    const MIDIMessageManager* manager = midiMessageManager;
    return !(manager && manager->suppressEcho && localControl && !manager->messageFromHost);
}

namespace {

int clampDataByte(int value)
{
    return std::clamp(value, 0, 127);
}

// The added offset of the CC values of a few parameters.
int ccValueOffset(int paramIdx)
{
    if (paramIdx >= kOscillator1Semitone && paramIdx <= kOscillator3Semitone)
        return 16;
    if (paramIdx == kArpSwing || paramIdx == kArpDelay)
        return 14;
    return 0;
}

// The one rewrite of a single-message template: elements 3 to 6 reading
// 41, 43 or 53, 00 or 01, 10 get 7F 7F in elements 6 and 7.
void rewritePartLevelTemplate(std::vector<int>& message)
{
    if (message.size() < 8)
        return;
    if (message[3] == 0x41 && (message[4] == 0x43 || message[4] == 0x53) && (message[5] == 0 || message[5] == 1)
        && message[6] == 0x10) {
        message[6] = 0x7F;
        message[7] = 0x7F;
    }
}

}  // namespace

bool Zelto2X::hintsMissingOutput(const ControlAction& action, int paramIdx) const
{
    if (paramIdx == kDeviceOutSelection || paramIdx == kDeviceInSelection || paramIdx == kGlobalMidiChannel)
        return false;
    const bool sendsMessage = action.kind == kActionCC || action.kind == kActionCCSwitch || action.kind == kActionNRPN
        || action.kind == kActionSysExSwitch || action.kind == kActionSysEx;
    return sendsMessage || !m_momentaryButtons[static_cast<size_t>(paramIdx)];
}

bool Zelto2X::outputOpenOrHint()
{
    if (midiOutSet)
        return true;
    showStatus(kSetMidiFirst);
    return false;
}

void Zelto2X::processControlAction(ControlAction* action, int paramIdx, double value)
{
    if (!action)
        return;
    const int n = static_cast<int>(value);
    if (action->lastValue == static_cast<double>(n))
        return;
    if (!midiOutSet) {
        if (hintsMissingOutput(*action, paramIdx))
            showStatus(kSetMidiFirst);
        return;
    }
    if (!pluginReady)
        return;
    action->lastValue = n;
    if (IParam* param = GetParam(paramIdx)) {
        const double normalized = param->GetNormalized();
        for (IControl* control : action->controls)
            if (control)
                control->SetValueFromPlug(normalized);
    }
    const int channel = deviceChannel();
    const bool send = mayEchoToHardware();
    auto sendControlChange = [&](int cc, int data) {
        IMidiMsg msg;
        msg.MakeControlChangeMsg(cc, clampDataByte(data) / 127.0, channel);
        if (send)
            MIDIOutRoutingSwitch(&msg);
    };
    auto sendTemplate = [&](std::vector<int> message, bool rewrite) {
        if (message.size() < 3)
            return;
        const int device = currentDeviceId;
        if (device >= 0)
            message[2] = device;
        if (rewrite)
            rewritePartLevelTemplate(message);
        setTextOfParam(kControlDisplayCC, "SysEx");
        if (send)
            midiMessageManager->sendSysexMessage(message);
    };
    switch (action->kind) {
    case 1:
        setTextOfParam(kControlDisplayCC, ("CC|" + std::to_string(action->ccNumber)).c_str());
        sendControlChange(action->ccNumber, static_cast<int>(value + ccValueOffset(paramIdx)));
        break;
    case 2:
        setTextOfParam(kControlDisplayCC, ("CC|" + std::to_string(action->ccNumber)).c_str());
        sendControlChange(action->ccNumber, value == 0.0 ? action->zeroValue : action->onValue);
        break;
    case 3:
        sendControlChange(99, action->msbValue);
        sendControlChange(98, action->lsbControl);
        sendControlChange(action->ccNumber, n + action->lsbValue);
        setTextOfParam(kControlDisplayCC, "MSB/LSB");
        break;
    case 5:
    case 6: {
        // Entry i of a list is the message for the i-th value of the range.
        IParam* param = GetParam(paramIdx);
        const long index = static_cast<long>(n) - (param ? static_cast<long>(param->GetMin()) : 0);
        const ControlActionSysExMessage& sysEx = action->sysEx;
        if (action->kind == 6 && sysEx.isMulti) {
            if (index >= 0 && index < static_cast<long>(sysEx.multiMessages.size()))
                for (const SysExMessage& message : sysEx.multiMessages[static_cast<size_t>(index)])
                    sendTemplate(message, false);
        } else if (index >= 0 && index < static_cast<long>(sysEx.messages.size())) {
            sendTemplate(sysEx.messages[static_cast<size_t>(index)], action->kind == 6);
        }
        break;
    }
    default:
        break;
    }
}

// ---- Control-lookup forwards ----------------------------------------------------------

IControl* Zelto2X::getSysexControl(int a, int b, int c, int d, int sub)
{
    return uiConfig->sysExControls.findControl(a, b, c, d, sub);
}

IControl* Zelto2X::getMsbLsbControl(int a, int b, int c, int d, int e)
{
    return uiConfig->nrpnControls.findControl(a, b, c, d, e);
}

IControl* Zelto2X::getCCControls(int channel, int cc, int group)
{
    return uiConfig->ccControls.findControl(channel, cc, group);
}

int Zelto2X::getProgramValueByParts(int a, int b, int index)
{
    return uiConfig->patchData.findControl(a, b, index);
}

void Zelto2X::setProgramValueByParts(int a, int b, int index, int value)
{
    uiConfig->patchData.setValue(a, b, index, value);
}

// ---- Jobs of the MIDI workers ----------------------------------------------------

bool Zelto2X::startWholeSoundJob(WholeSoundSend send)
{
    if (send == WholeSoundSend::ToHardware || send == WholeSoundSend::ToLibrary)
        return midiMessageManager->sendArrangementToDevice(send == WholeSoundSend::ToLibrary, false);
    // The job gets its flags with its arguments: it runs later on its own thread.
    MIDIJob job;
    job.jobCode = kJobSendArrangement;
    if (send == WholeSoundSend::RecalledToHardware) {
        // patchLoading is the job's while it runs: set when it starts, cleared when it ends.
        job.setPatchLoading = true;
        return midiMessageManager->startJob(job);
    }
    job.globalSettingsSent = true;
    const bool started = midiMessageManager->startJob(job);
    globalSettingsSent = false;
    return started;
}
