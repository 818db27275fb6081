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
