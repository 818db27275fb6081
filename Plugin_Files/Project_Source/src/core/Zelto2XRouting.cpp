// The editor's MIDI switchboard: incoming short messages and SysEx from the
// host and the hardware, the routing switch, the hardware senders with the one
// SysEx checksum rule, the MIDI LED, and the control-container lookups.

#include "Zelto2X.h"

#include <algorithm>
#include <cstdio>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "dovor/timing.h"

namespace {

using buildlog::log;

constexpr const char* kSetMidiFirst = "Set MIDI I/O First!";

}  // namespace

// ---- Incoming MIDI --------------------------------------------------------------

void Zelto2X::ProcessMidiMsg(IMidiMsg* msg, bool fromHardware)
{
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
    if (trackIncomingMIDI && msg->mData && msg->mSize >= 3 && msg->mData[1] == zsysex::kManufacturer
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
    if (!midiOutSet) {
        showStatus(kSetMidiFirst);
        return;
    }
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
    if (toDAWBuffer)
        midiQueue.Add(msg);
    else
        sendMidiMsgAndLog(msg);
}

void Zelto2X::sendMidiMsgAndLog(IMidiMsg* msg)
{
    if (!midiOutSet) {
        showStatus(kSetMidiFirst);
        log("\t--- midiOutSet status: %i --- NO MESSAGE SENT! ---\n", midiOutSet ? 1 : 0);
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
