#include "Zelto2X.h"

#include "IGraphicsMac.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "ControlLayer.h"
#include "DurableFile.h"
#include "IControl.h"
#include "IGraphics.h"
#include "LibraryFileSystem.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "TabSwitchFunctions.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "resource.h"
#include "PatchManager.h"
#include "PatchSaveDialog.h"
#include "ProgressIndicator.h"
#include "dovor/dialogs.h"
#include "dovor/timing.h"
#include "platform/DataFolder.h"

namespace {

using consolelog::log;

constexpr int kBackgroundBitmapId = 102;
constexpr const char* kUserManualName = "Marnvik-Zelto2X-User-Manual-v101.pdf";

// Characters of the status display's value line at any interface size.
constexpr size_t kStatusLineChars = 28;

// Beside "Patches", so the scan never lists a recovered copy as a bank.
constexpr const char* kRecoveredFolder = "Recovered Banks";
// In kRecoveredFolder: the file name of the copy the next start is to tell about.
constexpr const char* kUntoldCopyNote = ".untold";

// A folder as the user finds it in a file browser, home as "~"; where that is
// too long for the status display, its last folders after "...", which name
// the folder to look for.
std::string folderForStatus(const std::string& path)
{
    const char* home = std::getenv("HOME");
    const std::string prefix = home && *home ? std::string(home) + "/" : std::string();
    std::string shown = !prefix.empty() && path.rfind(prefix, 0) == 0 ? "~/" + path.substr(prefix.size()) : path;
    if (shown.size() <= kStatusLineChars)
        return shown;
    const size_t cut = shown.find('/', shown.size() - (kStatusLineChars - 3));
    return "..." + shown.substr(cut == std::string::npos ? shown.size() - (kStatusLineChars - 3) : cut);
}

// The librarian's "Enter Bank Name" template joins the module's dialog list
// before any instance exists.
DOVOR_DialogResourceIndex patchSaveDialog{
    IDD_PATCH_SAVE.resourceId, IDD_PATCH_SAVE.title, IDD_PATCH_SAVE.width, IDD_PATCH_SAVE.height,
    buildPatchSaveDialog, nullptr};
const DOVOR_DialogResourceIndex* const patchSaveDialogRegistered = DOVOR_AddDialogResource(&patchSaveDialog);

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
    localControl = true;

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    sampleRate = GetSampleRate();
    openDataFolderFiles();
    logDebug("INITIALIZATION STARTED!");
    SetLatency(zelto2x::kPlugLatency);
    logDebug("Data folder located at " + dataFolder);
    // Every named index up to kTimbreLED (306) gets a parameter object; none
    // is automated by the host.
    initialize(instanceInfo, 0, kNumParams, zelto2x::kPlugChannelIO, zelto2x::kPlugPresets, zelto2x::kPlugName,
        zelto2x::kPlugProductName, zelto2x::kPlugManufacturer, zelto2x::kPlugVersion, zelto2x::kPlugUniqueId,
        zelto2x::kPlugManufacturerId, zelto2x::kPlugLatency, zelto2x::kPlugDoesMidi, zelto2x::kPlugDoesStateChunks,
        zelto2x::kPlugIsInstrument, zelto2x::kPlugSideChainChannels);
    addNonAutomateParamCount(kNumParams);

    patchManager = new PatchManager(this);
    logDebug("PATCH MANAGER INITIALIZED...");
    patchLibrarian = new PatchLibrarian(this);
    patchLibrarian->editor = this;
    patchLibrarian->debugOutput = &debugOutput;
    logDebug("PATCH LIBRARIAN INITIALIZED...");
    prepareLibraryFolder();
    patchLibrarian->loadPatchesFromFilesystem(getPatchesFolderStr());
    createFirstBankWhenEmpty();
    if (m_startupProblem.first.empty())
        m_untoldCopy = readRecoveredBankNote();
    logDebug("PATCH LIBRARIAN COMPLETED LOADING SINGLES...");

    buildUserInterface();
    midiMessageManager = new MIDIMessageManager(this, patchManager, patchLibrarian, GetGUI());
    if (progressIndicator)
        static_cast<ProgressIndicator*>(progressIndicator)->setProgressSource(&midiMessageManager->progress);
    MakeDefaultPreset("-", 64);
    patchManager->init();
    logDebug("Control set 1 attached");
    createLibrarianMenus();
    logDebug("Librarian menus attached");
    rememberControls();  // the librarian popups are bound too

    setInitialValues();
    logDebug("Plug-in is ready to load!");
    TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, 0);
    if (!m_startupProblem.first.empty())
        showLibrarianResult(m_startupProblem.first, m_startupProblem.second);
    pluginReady = true;
}

void Zelto2X::openDataFolderFiles()
{
    dataFolder = platform::DataFolderPath();
    logFilePath = dataFolder + zelto2x::kPlugName + " LOG.txt";
    debugLogEnabled = debugOutput.openDebugFile(logFilePath);
    uiSettingsFilePath = dataFolder + zelto2x::kPlugName + " UI.txt";
    readUISettings();
}

void Zelto2X::buildUserInterface()
{
    createGraphicsSurface();
    IGraphics* graphics = GetGUI();
    logDebug("STARTING USER INTERFACE CONFIGURATION...");
    uiConfig = new UIConfigManager();
    uiConfig->setDebugLog(&debugOutput, debugLogEnabled, logFilePath);
    uiConfig->initParams();
    installLibrarianViewFactory();
    uiConfig->readUIConfig(graphics, this, patchLibrarian, colorScheme, guiScale);
    tempoValues = uiConfig->getValueList("tempoValues");  // the MIDI clock's tempo texts
    logDebug("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");

    rememberLayers();
    rememberControls();
    if (IControl* randomize = paramControl(kRandomize))
        randomize->GrayOut(true);
    graphics->AttachBackground(kBackgroundBitmapId, "resources/img/main-frame-bg.png", guiScale);
    logDebug("Layers attached...");
    createProgressOverlay();
}

void Zelto2X::setInitialValues()
{
    IGraphics* graphics = GetGUI();
    for (int param : {kControlLibrary, kShowLibrarian, kControlLibrary}) {
        if (IControl* control = paramControl(param))
            control->SetValueFromUserInput(0);
    }
    setParamValueClamped(kShowLibrarian, 0.0);
    graphics->SetParameterFromPlug(kGlobalMidiChannel, 1, false);
    currentDeviceId = 0;
    logDebug("Control set 2 attached... Resetting");
    Reset();

    for (int param : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
        if (IControl* control = paramControl(param))
            control->SetValueFromPlug(0);
    }
    graphics->SetParameterFromPlug(kOverrideTempo, 1, false);
    graphics->SetParameterFromPlug(kLibSyncTimer, 1, false);
    graphics->SetParameterFromPlug(kMainTab, 2, false);
    TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, 0);

    const std::string& size = uiSettings[1];
    const int sizeValue = size == "small" ? 0 : size == "normal" ? 1 : size == "large" ? 2 : -1;
    if (sizeValue >= 0)
        graphics->SetParameterFromPlug(kUserInterfaceSize, sizeValue, false);
    if (uiSettings[2] == "no") {
        if (ControlLayer* notification = findLayer("firstRunNotification"))
            notification->Hide(false);
    }
    setStartupFilters();

    for (int i = 0; i < NParams(); ++i) {
        const int value = GetParam(i)->Int();
        if (value > 0)
            graphics->SetParameterFromPlug(i, value, false);
    }
    const std::string patchName = GetParam(kPatchName)->GetDisplayText(0);
    patchManager->texts[PatchManager::kSoundName] = patchName.empty() ? "Set Name" : patchName;
    setLibrarianViewDirty();
    if (paramValue(kGlobalLocalControl) == 0.0)
        localControl = false;
}

IGraphicsMac* MakeGraphics(IPluginBase* plug, int width, int height, int fps)
{
    IGraphicsMac* graphics = new IGraphicsMac(plug, width, height, fps);
    graphics->SetBundleID(zelto2x::kBundleIdentifier);
    return graphics;
}

void Zelto2X::createGraphicsSurface()
{
    // Every pixel size of the editor follows the UI scale; the surface is the
    // editor's 1500 x 757 panel at that scale, drawn at the default frame rate.
    AttachGraphics(MakeGraphics(this, int(kEditorWidth * guiScale), int(kEditorHeight * guiScale), 0));
}

Zelto2X::~Zelto2X()
{
    // Nothing may reach the hardware or a half-destroyed editor from here on:
    // no sender passes midiOutSet, no hardware input arrives, and the manager
    // ends the clock loop and joins its workers before what they use is freed.
    midiOutSet = false;
    DestroyMidiPorts();
    // The port watch, now ended, may have found the synth back just before.
    midiOutSet = false;
    delete midiMessageManager;
    midiMessageManager = nullptr;
    // No worker or MIDI input can store into the bank any more.
    keepUnsavedBankEdits();
    delete patchManager;
    patchManager = nullptr;
    delete uiConfig;
    uiConfig = nullptr;
    delete patchLibrarian;
    patchLibrarian = nullptr;
}

// ---- Start-up lookups ---------------------------------------------------------------------

void Zelto2X::rememberLayers()
{
    // Start-up state of each layer the editor keeps: shown, hidden, or as configured.
    enum Start { kAsConfigured, kHidden, kShown };
    static const std::pair<const char*, Start> kLayers[] = {{"root", kShown}, {"multiModeMixer", kAsConfigured},
        {"patchLibrarian", kAsConfigured}, {"arpTempoKnob", kAsConfigured}, {"arpTempoClock", kAsConfigured},
        {"lfo1ClockedLayer", kHidden}, {"saveChangesLayer", kHidden}, {"discardChangesLayerRight", kHidden},
        {"aboutWindow", kHidden}, {"firstRunNotification", kHidden}, {"midiFilterSettings", kHidden},
        {"categoryLimit", kHidden}, {"osc1KeytrackBtn", kHidden}, {"osc1UnisonKnob", kHidden},
        {"osc1AmpEnvFade", kHidden}, {"osc2KeytrackBtn", kHidden}, {"osc2AmpEnvFade", kHidden},
        {"oscillator2Parameters", kHidden}, {"oscillator3Parameters", kHidden}, {"arpeggiator", kAsConfigured},
        {"pattStepOverlayer02", kHidden}, {"pattStepOverlayer03", kHidden}, {"pattStepOverlayer04", kHidden},
        {"pattStepOverlayer05", kHidden}, {"pattStepOverlayer06", kHidden}, {"pattStepOverlayer07", kHidden},
        {"pattStepOverlayer08", kHidden}, {"pattStepOverlayer09", kHidden}, {"pattStepOverlayer10", kHidden},
        {"pattStepOverlayer11", kHidden}, {"pattStepOverlayer12", kHidden}, {"pattStepOverlayer13", kHidden},
        {"pattStepOverlayer14", kHidden}, {"pattStepOverlayer15", kHidden}, {"pattStepOverlayer16", kHidden},
        {"patchRename", kHidden}, {"miniMixer", kAsConfigured}, {"searchField", kHidden},
        {"releaseAllLocksLayer", kAsConfigured}};
    {
        // The lookup cache starts with these.
        std::lock_guard<std::mutex> lock(m_lookupMutex);
        for (const auto& [name, start] : kLayers) {
            ControlLayer* layer = uiConfig->getLayerByName(name);
            if (!layer) {
                log("STARTUP: layer %s missing from the configuration, skipped\n", name);
                continue;
            }
            m_layerCache[name] = layer;
            if (start != kAsConfigured)
                layer->Hide(start == kHidden);
        }
    }
    if (ControlLayer* mixer = findLayer("multiModeMixer"))
        mixer->SelectChild(-1);
    miniMixerLayer = findLayer("miniMixer");
    arpTempoKnobLayer = findLayer("arpTempoKnob");
    arpTempoClockLayer = findLayer("arpTempoClock");
}

namespace {

template <class Visit>
void visitControls(ControlLayer* layer, const Visit& visit)
{
    const ROZ_PtrList<IControl>& controls = *layer->GetControls();
    for (int i = 0; i < controls.GetSize(); ++i)
        visit(controls.Get(i));
    for (int i = 0; i < layer->NLayers(); ++i)
        visitControls(layer->GetLayer(i), visit);
}

}  // namespace

void Zelto2X::rememberControls()
{
    // The configuration's own choice first; the controls the editor builds
    // itself (librarian popups) are found on the surface.
    for (int i = 0; i < kNumParams; ++i) {
        if (!m_paramControls[i])
            m_paramControls[i] = uiConfig->getFirstControlForParam(i);
    }
    const auto remember = [this](IControl* control) {
        const int param = control->ParamIdx();
        if (param < 0 || param >= kNumParams)
            return;
        if (!m_paramControls[param])
            m_paramControls[param] = control;
        if (dynamic_cast<IContactControl*>(control))
            m_momentaryButtons[param] = true;
    };
    IGraphics* graphics = GetGUI();
    for (int i = 0; i < graphics->NControls(); ++i)
        remember(graphics->GetControl(i));
    for (int i = 0; i < graphics->NLayers(); ++i)
        visitControls(graphics->GetLayer(i), remember);
    statusText = paramTextControl(kControlDisplayName);
    // The render thread sets this text and must not allocate to do it.
    if (ITextControl* delay = paramTextControl(kControlDisplayMIDIOutDelay))
        delay->ReserveTextRoom(kMidiOutDelayTextRoom);
}

IControl* Zelto2X::paramControl(int paramIdx) const
{
    return paramIdx >= 0 && paramIdx < kNumParams ? m_paramControls[paramIdx] : nullptr;
}

ITextControl* Zelto2X::paramTextControl(int paramIdx) const
{
    return dynamic_cast<ITextControl*>(paramControl(paramIdx));
}

void Zelto2X::setStartupFilters()
{
    // Every type passes both ways, except SysEx from the host; clock off.
    for (int i = 0; i < kMidiFilterCount; ++i) {
        const bool dawPasses = i != kFilterSysEx;
        if (IControl* control = paramControl(kMIDIFilterDAWCCPassThrough + i))
            control->SetValueFromUserInput(dawPasses ? 1 : 0);
        dawFilter[i] = !dawPasses;
        if (IControl* control = paramControl(kMIDIFilterHWCCPassThrough + i))
            control->SetValueFromUserInput(1);
        hwFilter[i] = false;
    }
    const std::pair<int, int> switches[] = {{kMIDIFilterTrackIncomingMIDI, 1}, {kMIDIFilterDirectToHardware, 1},
        {kMIDIFilterToDAWBuffer, 0}, {kSendMIDIClockPointer, 0}, {kSendMIDIClockInfo, 0}};
    for (const auto& [param, value] : switches) {
        if (IControl* control = paramControl(param))
            control->SetValueFromUserInput(value);
    }
    trackIncomingMIDI = true;
    toDAWBuffer = false;
    sendClockPointer = false;
    sendClockInfo = false;
}

// ---- Data folder --------------------------------------------------------------------------

void Zelto2X::OpenDataDirectory(bool manual)
{
    const std::string path = manual ? dataFolder + kUserManualName : dataFolder;
    IGraphics* graphics = GetGUI();
    if (!graphics || graphics->OpenURL(path.c_str()))
        return;
    // With no application to open it the click would do nothing: the user is
    // told where the file is, to open it another way.
    const bool present = access(path.c_str(), F_OK) == 0;
    const char* failure = !present ? (manual ? "User manual not found!" : "Data folder not found!")
                                   : (manual ? "No PDF viewer found!" : "No file browser found!");
    showStatusLines(failure, folderForStatus(dataFolder).c_str());
    log("%s %s\n", failure, path.c_str());
}

// ---- Unsaved bank edits at close ------------------------------------------------------------

void Zelto2X::keepUnsavedBankEdits()
{
    // A plug-in cannot ask the user while the host closes it: the edits are
    // kept, and Save stays the user's choice.
    if (!patchLibrarian || static_cast<int>(paramValue(kBankEditUnsaved)) != 1)
        return;
    std::string fileName;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        if (const PatchFile* bank = patchLibrarian->upperBank())
            fileName = bank->fileName;
    }
    const std::string folder = dataFolder + kRecoveredFolder;
    if (fileName.empty() || !durable::makeFolder(folder))
        return;
    // An earlier copy is never replaced: it may hold edits not imported yet.
    const std::string path = libraryfs::freePathFor(folder + "/" + fileName);
    std::string unused;
    libraryfs::splitPath(path, unused, fileName);
    if (!patchLibrarian->writeUpperBankCopy(path)
        || !durable::writeFile(folder + "/" + kUntoldCopyNote, {fileName.begin(), fileName.end()})) {
        log("Unsaved bank edits could not be kept at %s\n", path.c_str());
        return;
    }
    logDebug("PATCH LIBRARIAN: unsaved bank edits kept at " + path);
}

std::string Zelto2X::readRecoveredBankNote()
{
    const std::string folder = dataFolder + kRecoveredFolder;
    std::vector<unsigned char> noted;
    if (!libraryfs::readFile(folder + "/" + kUntoldCopyNote, noted))
        return {};
    const std::string fileName(noted.begin(), noted.end());
    if (fileName.empty() || !libraryfs::exists(folder + "/" + fileName))
        return {};
    dialogFolder = folder;  // the Import panel opens where the copy is
    return fileName;
}

void Zelto2X::tellRecoveredBankWhenSeen()
{
    std::string fileName;
    {
        // Taken under the lock, told outside it: once, and with no lock held
        // while the status display takes its own.
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        if (m_untoldCopy.empty() || !m_viewOpen || m_enquiryRunning)
            return;
        fileName = std::exchange(m_untoldCopy, std::string());
    }
    const bool fits = fileName.size() <= kStatusLineChars;
    showLibrarianResult(std::string("Import from ") + kRecoveredFolder + ":",
        fits ? fileName : fileName.substr(0, kStatusLineChars - 3) + "...");
    // A note another instance has since written names a newer copy, still untold.
    const std::string note = dataFolder + kRecoveredFolder + "/" + kUntoldCopyNote;
    std::vector<unsigned char> noted;
    if (libraryfs::readFile(note, noted) && std::string(noted.begin(), noted.end()) == fileName)
        durable::removeFile(note);
}

void Zelto2X::OnGUIOpen()
{
    {
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        m_viewOpen = true;
    }
    tellRecoveredBankWhenSeen();
}

void Zelto2X::OnGUIClose()
{
    std::lock_guard<std::mutex> lock(m_noticeMutex);
    m_viewOpen = false;
}

void Zelto2X::deviceEnquiryEnded(bool answered)
{
    {
        std::lock_guard<std::mutex> lock(m_noticeMutex);
        m_enquiryRunning = false;
    }
    // "No response from Hardware" stays: the copy waits for a view opened
    // again, an answered enquiry or the next start.
    if (answered)
        tellRecoveredBankWhenSeen();
}

const char* Zelto2X::getPanelString(int timbre, const std::string& name)
{
    panelString = "Timbre " + std::to_string(timbre + 1) + " " + name;
    return panelString.c_str();
}

// ---- LibrarianHost ----------------------------------------------------------------

void Zelto2X::writeLogLine(const std::string& text)
{
    logDebug(text);
}

void Zelto2X::setUpperBankNames(const std::string& folderName, const std::string& bankName,
    const std::string& path)
{
    upperFolderName = folderName;
    upperBankName = bankName;
    upperBankPath = path;
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

void Zelto2X::displayCurrentSoundCategory()
{
    std::string word = currentSoundCategory();
    if (word.empty()) {
        if (IParam* category = GetParam(kCategoryName))
            word = category->GetDisplayText(0);
    }
    displayCategoryName(word);
}

void Zelto2X::showStatus(const char* text)
{
    if (statusHeldByRelease())
        return;
    if (statusText)
        statusText->SetTextFromPlug(text);
    // The second line of an earlier librarian outcome would read as part of this text.
    std::string detail;
    {
        std::lock_guard<std::mutex> lock(m_textsMutex);
        detail.swap(m_statusDetail);
    }
    ITextControl* value = paramTextControl(kControlDisplayValue);
    if (!detail.empty() && value && value->GetTextString() == detail)
        value->SetTextFromPlug("");
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
    if (!param)
        return;
    param->Set(std::clamp(value, param->GetMin(), std::max(param->GetMin(), param->GetMax())));
    // No handler runs, but what the parameter holds is what its controls show
    // (a tab chosen by a command, a device ID the synth answered with).
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(index, param->GetNormalized(), true);
}

void Zelto2X::logDebug(const std::string& text)
{
    if (debugLogEnabled)
        debugOutput.printDebugInfo(logFilePath, text);
}
