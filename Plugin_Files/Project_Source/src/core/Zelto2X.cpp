#include "Zelto2X.h"

#include "IGraphicsMac.h"

#include <algorithm>
#include <cstdio>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "resource.h"
#include "dovor/timing.h"

namespace {

using buildlog::log;

constexpr const char* kSetMidiFirst = "Set MIDI I/O First!";

}  // namespace

Zelto2X::Zelto2X(IPluginInstanceInfo instanceInfo)
    : IPluginAU(instanceInfo, zelto2x::kPlugParamCount, zelto2x::kPlugChannelIO, zelto2x::kPlugPresets,
          zelto2x::kPlugName, zelto2x::kPlugProductName, zelto2x::kPlugManufacturer, zelto2x::kPlugVersion,
          zelto2x::kPlugUniqueId, zelto2x::kPlugManufacturerId, zelto2x::kPlugLatency, zelto2x::kPlugDoesMidi,
          zelto2x::kPlugDoesStateChunks, zelto2x::kPlugIsInstrument, zelto2x::kPlugSideChainChannels)
{
    for (int i = 0; i < kMidiFilterCount; ++i) {
        dawFilter[i] = false;
        hwFilter[i] = false;
    }
    dawFilter[kFilterSysEx] = true;  // SysEx from the host is dropped by default
    for (auto& byte : globalBytes)
        byte = 0;

    SetLatency(zelto2x::kPlugLatency);
    // Every named index up to kTimbreLED (306) gets a parameter object; none
    // is automated by the host.
    initialize(instanceInfo, 0, kNumParams, zelto2x::kPlugChannelIO, zelto2x::kPlugPresets, zelto2x::kPlugName,
        zelto2x::kPlugProductName, zelto2x::kPlugManufacturer, zelto2x::kPlugVersion, zelto2x::kPlugUniqueId,
        zelto2x::kPlugManufacturerId, zelto2x::kPlugLatency, zelto2x::kPlugDoesMidi, zelto2x::kPlugDoesStateChunks,
        zelto2x::kPlugIsInstrument, zelto2x::kPlugSideChainChannels);
    addNonAutomateParamCount(kNumParams);

    patchLibrarian = new PatchLibrarian(this);
    patchLibrarian->editor = this;
    patchLibrarian->debugOutput = &debugOutput;
    createGraphicsSurface();
    uiConfig = new UIConfigManager();
    uiConfig->setDebugLog(&debugOutput, debugLogEnabled, logFilePath);
    uiConfig->initParams();
    midiMessageManager = new MIDIMessageManager(this, nullptr, patchLibrarian, GetGUI());
    currentDeviceId = 0;
}

void Zelto2X::createGraphicsSurface()
{
    // Every pixel size of the editor follows the UI scale; the surface is the
    // editor's 1500 x 757 panel at that scale, drawn at the default frame rate.
    IGraphicsMac* graphics = new IGraphicsMac(this, int(kEditorWidth * guiScale), int(kEditorHeight * guiScale), 0);
    graphics->SetBundleID(zelto2x::kBundleIdentifier);
    AttachGraphics(graphics);
}

Zelto2X::~Zelto2X()
{
    // No hardware message may reach a half-destroyed editor.
    DestroyMidiPorts();
    midiOutSet = false;
    delete midiMessageManager;
    delete uiConfig;
    delete patchLibrarian;
}

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

// ---- LibrarianHost ----------------------------------------------------------------

void Zelto2X::writeLogLine(const std::string& text)
{
    logDebug(text);
}

std::string Zelto2X::promptForSaveFile(const std::string& defaultName, const std::string& startFolder,
    const std::string& extension)
{
    IGraphics* graphics = GetGUI();
    if (!graphics)
        return std::string();
    ROZ_String fileName(defaultName.c_str());
    ROZ_String folder(startFolder.c_str());
    graphics->PromptForFile(&fileName, kFileSave, &folder, extension.c_str());
    return fileName.Get();
}

void Zelto2X::setUpperBankNames(const std::string& folderName, const std::string& bankName)
{
    upperFolderName = folderName;
    upperBankName = bankName;
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

void Zelto2X::setCurrentSoundTexts(const std::string& name, const std::string& category)
{
    std::lock_guard<std::mutex> lock(m_textsMutex);
    m_soundName = name;
    m_soundCategory = category;
}

std::string Zelto2X::currentSoundName() const
{
    std::lock_guard<std::mutex> lock(m_textsMutex);
    return m_soundName;
}

std::string Zelto2X::currentSoundCategory() const
{
    std::lock_guard<std::mutex> lock(m_textsMutex);
    return m_soundCategory;
}

void Zelto2X::showStatus(const char* text)
{
    if (statusText)
        statusText->SetTextFromPlug(text);
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

// ---- Parameters -------------------------------------------------------------------------

double Zelto2X::paramValue(int index) const
{
    IParam* param = GetParam(index);
    return param ? param->Value() : 0.0;
}

void Zelto2X::setParamValueClamped(int index, double value)
{
    IParam* param = GetParam(index);
    if (param)
        param->Set(std::clamp(value, param->GetMin(), std::max(param->GetMin(), param->GetMax())));
}

void Zelto2X::logDebug(const std::string& text)
{
    if (debugLogEnabled)
        debugOutput.printDebugInfo(logFilePath, text);
}
