// Incoming channel messages from the hardware and the host: per-type filters,
// control changes to controls, program changes to sound requests, the MIDI
// LED and forwarding to the output switch.

#include <algorithm>
#include <cstdio>

#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "debugger.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

namespace {

using consolelog::log;

struct FilterRow {
    IMidiMsg::EStatusMsg status;
    EMidiFilter filter;
    const char* hostLine;
    const char* hardwareLine;
};

const FilterRow kFilterRows[] = {
    {IMidiMsg::kControlChange, kFilterControlChange, "\tControl Changes from Daw filtered, returning.\n",
        "\tControl Changes from HW filtered, returning.\n"},
    {IMidiMsg::kProgramChange, kFilterProgramChange, "\tProgram Changes from Daw filtered, returning.\n",
        "\tProgram Changes from HW filtered, returning.\n"},
    {IMidiMsg::kNoteOff, kFilterNotes, "\tNotes from Daw filtered, returning.\n", "\tNotes from HW filtered, returning.\n"},
    {IMidiMsg::kNoteOn, kFilterNotes, "\tNotes from Daw filtered, returning.\n", "\tNotes from HW filtered, returning.\n"},
    {IMidiMsg::kPitchWheel, kFilterPitchBend, "\tPitch Bend from Daw filtered, returning.\n",
        "\tPitch Bend from HW filtered, returning.\n"},
    {IMidiMsg::kPolyAftertouch, kFilterPolyAftertouch, "\tPoly Aftertouch from Daw filtered, returning.\n",
        "\tPoly Aftertouch from HW filtered, returning.\n"},
    {IMidiMsg::kChannelAftertouch, kFilterChannelAftertouch, "\tChannel Aftertouch from Daw filtered, returning.\n",
        "\tChannel Aftertouch from HW filtered, returning.\n"},
};

const FilterRow* filterRow(IMidiMsg::EStatusMsg status)
{
    for (const FilterRow& row : kFilterRows)
        if (row.status == status)
            return &row;
    return nullptr;
}

// True (after its log line) when the message's type is filtered for its source.
bool filtered(Zelto2X& plug, IMidiMsg::EStatusMsg status, bool fromHardware)
{
    const FilterRow* row = filterRow(status);
    if (!row)
        return false;
    const bool on = fromHardware ? plug.hwFilter[row->filter].load() : plug.dawFilter[row->filter].load();
    if (on)
        log("%s", fromHardware ? row->hardwareLine : row->hostLine);
    return on;
}

bool isChannelVoiceMessage(IMidiMsg::EStatusMsg status)
{
    return status >= IMidiMsg::kNoteOff && status <= IMidiMsg::kPitchWheel;
}

}  // namespace

void MIDIMessageManager::ProcessMidiMsgFromDevice(IMidiMsg* msg)
{
    messageFromHost = false;
    const IMidiMsg::EStatusMsg status = msg->StatusMsg();
    const int channel = msg->Channel();
    if (status != IMidiMsg::kProgramChange && filtered(*plug, status, true))
        return;
    if (status == IMidiMsg::kControlChange)
        getLegacyCCparam(msg->ControlChangeIdx(), 0, msg->mData2, false, true);
    if (status == IMidiMsg::kProgramChange) {
        handleProgramChange(msg->mData1, true, 0);
        return;
    }
    if (!isChannelVoiceMessage(status))
        return;
    lightMidiLed(channel);
    if (!plug->localControl)
        plug->MIDIOutRoutingSwitch(msg);
}

void MIDIMessageManager::ProcessMidiMsgFromDAW(IMidiMsg* msg, int offset)
{
    if (!plug->midiOutSet)
        return;
    messageFromHost = true;
    const IMidiMsg::EStatusMsg status = msg->StatusMsg();
    const int channel = msg->Channel();
    if (status != IMidiMsg::kProgramChange && filtered(*plug, status, false))
        return;
    if (status == IMidiMsg::kControlChange)
        getLegacyCCparam(msg->ControlChangeIdx(), channel + 1, msg->mData2, false, false);
    if (status == IMidiMsg::kProgramChange && !handleProgramChange(msg->mData1, false, offset))
        return;
    if (!isChannelVoiceMessage(status))
        return;
    lightMidiLed(channel);
    plug->MIDIOutRoutingSwitch(msg);
}

bool MIDIMessageManager::handleProgramChange(int program, bool fromHardware, int offset)
{
    if (!fromHardware)
        program = std::min(program, 100);
    setParameterDirect(kCurrentPatch, program);
    if (filtered(*plug, IMidiMsg::kProgramChange, fromHardware))
        return false;
    if (plug->paramValue(kPartLock) == 1.0)
        return false;
    programChangeTime = GetTickCount();

    if (plug->libraryControl) {
        // Only programs 0..99 name a slot of a bank; others select nothing.
        if (program < zsysex::kProgramsPerBank)
            selectLibrarySlotAndSend(program);
    } else {
        program = std::min(program, 100);
        if (!fromHardware)
            plug->SendProgramChangeCommand(program, offset);
        // The job routes the answer to the user interface once it really runs.
        sendPartRequestSysex(true, program);
        plug->selectLibrarianSlot(program);
    }
    if (fromHardware)
        log("Program change detected, returning!\n");
    return true;
}

void MIDIMessageManager::selectLibrarySlotAndSend(int program)
{
    requestProcessedToSlot = true;
    plug->selectLibrarianSlot(program);
    Sleep(200);
    // The send job holds back the synth's channel messages once it runs; a
    // send refused here (no output, a busy synth) must not hold them for good.
    libraryRequest.libraryRequestActive = false;
    plug->sendPatchToDeviceFromLibrarian(program, plug->librarianListActive());
}

void MIDIMessageManager::lightMidiLed(int channel)
{
    if (!plug->trackIncomingMIDI || channel + 1 != static_cast<int>(plug->paramValue(kGlobalMidiChannel)))
        return;
    log("MIDI received from channel - %i -\n", channel + 1);
    IGraphics* surface = graphics ? graphics : plug->GetGUI();
    if (!surface || plug->midiLedOn)
        return;
    surface->SetParameterFromPlug(kMIDILed, 1.0, false);
    plug->midiLedOn = 1;
    plug->midiLedTime = GetTickCount();
}

IControl* MIDIMessageManager::getLegacyCCparam(int cc, int channel, int value, bool notifyTab, bool fromHardware)
{
    IControl* control = plug->getCCControls(0, cc, 0);
    if (!control)
        control = plug->getCCControls(channel, cc, 1);
    if (!control)
        control = plug->getCCControls(channel, cc, 2);
    if (!control)
        return nullptr;
    suppressEcho = false;
    bool refresh = notifyTab;
    double v = value;
    if (fromHardware) {
        suppressEcho = true;
        auto pushIndicator = [&](int indicator, bool lit) {
            if (indicator < 0)
                return;
            if (lit)
                pushParameter(indicator, 1.0);
            else if (parameterValue(indicator) == 1.0)
                pushParameter(indicator, 0.0);
        };
        if (control->ParamIdx() == kGlobalLocalControl) {
            plug->localControl = value != 0;
        } else if (cc == 105) {
            v = value - 1;
        } else if (cc == 34 || cc == 38 || cc == 44) {
            refresh = true;
        } else if (cc == 36 || cc == 42 || cc == 70) {
            v = value - 16;
            refresh = true;
            const int indicator = cc == 36 ? kOscillator2OctaveIndicator : cc == 42 ? kOscillator3OctaveIndicator : -1;
            const int semitone = value - 16;
            pushIndicator(indicator, semitone >= 0 && semitone <= 96 && semitone % 12 == 0);
        } else if (cc == 25) {
            pushParameter(kLFO1ShapeClock, value);
            v = value <= 4 ? value : value - 5;
            refresh = true;
        }
    }
    moveControl(control, v);
    if (refresh)
        plug->OnParamChange(kMainTab);
    suppressEcho = false;
    return control;
}
