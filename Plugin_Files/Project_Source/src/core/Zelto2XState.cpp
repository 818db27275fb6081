// The editor's project state: the chunk the host keeps in its project, and
// the recall that reopens the MIDI ports by name and sends the sound back.
// Host thread, under the plug-in mutex (the Audio Unit entry holds it).

#include "Zelto2X.h"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "IControl.h"
#include "IParam.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "TabSwitchFunctions.h"
#include "PatchManager.h"
#include "dovor/timing.h"

namespace {

constexpr int32_t kStateHeader = 0x01000000;
constexpr int kHeaderBytes = 4;
constexpr int kValueBytes = 8;
// Input, output, bank and patch selections, in that order.
constexpr int kSelectionCount = 4;

// Position after count finite doubles at pos, or -1.
int checkValues(const ByteChunk* chunk, int pos, int count)
{
    for (int i = 0; i < count && pos >= 0; ++i) {
        double value = 0.0;
        pos = chunk->Get(&value, pos);
        if (pos >= 0 && !std::isfinite(value))
            return -1;
    }
    return pos;
}

std::string deviceLogText(const IParam* param)
{
    return param ? param->GetDisplayText(param->Int()) : std::string();
}

}  // namespace

// ---- Writer -------------------------------------------------------------------------------

bool Zelto2X::SerializeState(ByteChunk* chunk)
{
    return SerializeState2(chunk, true);
}

bool Zelto2X::SerializeState2(ByteChunk* chunk, bool full)
{
    IMutexLock lock(this);
    chunk->Put(&kStateHeader);
    SerializeParams(chunk);
    if (full) {
        // The decoder and the sound sender keep the current sound's texts in
        // the editor (other threads write them); the project stores them.
        const std::string name = currentSoundName();
        const std::string category = currentSoundCategory();
        if (!name.empty())
            patchManager->texts[PatchManager::kSoundName] = name;
        if (!category.empty())
            patchManager->texts[PatchManager::kCategoryName] = category;
        const int devices[2][2] = {{kDeviceInSelection, PatchManager::kMidiInDevice},
                                   {kDeviceOutSelection, PatchManager::kMidiOutDevice}};
        for (const auto& device : devices) {
            std::string name = deviceLogText(GetParam(device[0]));
            // A chosen port that is away keeps its name in the project until another is chosen.
            const std::string chosen = getExternalMIDIChosenName(device[0] == kDeviceInSelection);
            if (GetParam(device[0])->Int() == 0 && !chosen.empty())
                name = chosen;
            patchManager->texts[device[1]] = name.empty() ? "Set Name" : name;
        }
        setLibrarianViewDirty();
        patchManager->saveAllToChunk(chunk);
        for (int index : {kDeviceInSelection, kDeviceOutSelection, kBankSelection, kPatchSelection}) {
            const double normalized = GetParam(index)->GetNormalized();
            chunk->Put(&normalized);
        }
    }
    SerializeNonAutomatedParams(chunk, kStoredParamCount);
    return true;
}

// ---- Reader -------------------------------------------------------------------------------

int Zelto2X::CheckState(ByteChunk* chunk, int startPos)
{
    if (!chunk || startPos < 0 || startPos > chunk->Size() - kHeaderBytes)
        return -1;
    int pos = checkValues(chunk, startPos + kHeaderBytes, NAutomatableParams());
    pos = PatchManager::checkChunk(chunk, pos);
    pos = checkValues(chunk, pos, kSelectionCount);
    return checkValues(chunk, pos, kStoredParamCount);
}

int Zelto2X::UnserializeState(ByteChunk* chunk, int startPos)
{
    return UnserializeState2(chunk, startPos, true);
}

int Zelto2X::UnserializeState2(ByteChunk* chunk, int startPos, bool full)
{
    IMutexLock lock(this);
    // A state is applied whole or not at all: a refused one must not reopen a
    // port, send a sound or switch a tab.
    int end = -1;
    if (full) {
        end = CheckState(chunk, startPos);
    } else if (chunk && startPos >= 0 && startPos <= chunk->Size() - kHeaderBytes) {
        end = checkValues(chunk, startPos + kHeaderBytes, NAutomatableParams() + kStoredParamCount);
    }
    if (end < 0) {
        logDebug("PROJECT RECALL: state refused, it does not read whole");
        return -1;
    }

    int pos = UnserializeParams(chunk, startPos + kHeaderBytes);
    if (full) {
        pos = patchManager->loadAllFromChunk(chunk, pos);
        pos += 2 * kValueBytes;  // the devices are found by name instead
        midiMessageManager->startJobDispatcher();
        reopenPortsByName();
        for (int index : {kBankSelection, kPatchSelection}) {
            double normalized = 0.0;
            pos = chunk->Get(&normalized, pos);
            GetParam(index)->SetNormalized(normalized);
        }
        patchManager->bankSelection = GetParam(kBankSelection)->Int();
        patchManager->patchSelection = GetParam(kPatchSelection)->Int();
    }
    // UNSAVED tells about the bank in memory, which a recall does not change:
    // the value stored with the project would hide edits or claim some.
    const double bankEditUnsaved = GetParam(kBankEditUnsaved)->Value();
    pos = UnserializeNonAutomatedParams(chunk, pos, kStoredParamCount);
    GetParam(kBankEditUnsaved)->Set(bankEditUnsaved);
    deriveFlagsFromParameters();

    currentDeviceId = GetParam(kGlobalDeviceID)->Int();
    logDebug("PROJECT RECALL: hardware DeviceID " + std::to_string(currentDeviceId.load()));
    if (full) {
        const std::string& name = patchManager->texts[PatchManager::kSoundName];
        const std::string& category = patchManager->texts[PatchManager::kCategoryName];
        GetParam(kPatchName)->SetDisplayText(0, name.c_str());
        GetParam(kCategoryName)->SetDisplayText(0, category.c_str());
        setCurrentSoundTexts(name.c_str(), category.c_str());
        logDebug("PROJECT RECALL: Patch name " + std::string(name.c_str()) + " | Category name " +
                 std::string(category.c_str()));
    }
    globalSettingsSent = false;
    sendRecalledSound();
    dawOffset = 2 * GetParam(kAdjustDAWOffset)->Int() + GetBlockSize();
    logDebug("PROJECT RECALL: MIDI In device after nonautomated params " + deviceLogText(GetParam(kDeviceInSelection)));
    logDebug("PROJECT RECALL: MIDI Out device after nonautomated params " +
             deviceLogText(GetParam(kDeviceOutSelection)));
    localControl = GetParam(kGlobalLocalControl)->Value() != 0.0;
    // The tab buttons show the page the recall opens: a tab left lit over
    // another page would open nothing when clicked.
    setFromPlug(kMainTab, 2);
    TabSwitchFunctions::mainTabSwitch(this, kMainTab, 2, 0);
    return pos;
}

void Zelto2X::reopenPortsByName()
{
    struct Direction {
        int param;
        int text;
        const char* storedLog;
        bool input;
    };
    const Direction directions[2] = {
        {kDeviceInSelection, PatchManager::kMidiInDevice, "PROJECT RECALL: MIDI In device stored ", true},
        {kDeviceOutSelection, PatchManager::kMidiOutDevice, "PROJECT RECALL: MIDI Out device stored ", false}};
    for (const Direction& direction : directions) {
        const std::string& name = patchManager->texts[direction.text];
        logDebug(direction.storedLog + name);
        if (!name.empty() && name != "OFF")
            watchChosenPorts();
        int index = 1;
        if (direction.input)
            setExternalMIDIIn(index, name.c_str());
        else
            setExternalMIDIOut(index, name.c_str());
        IParam* param = GetParam(direction.param);
        param->SetClamped(index);
        if (IControl* control = paramControl(direction.param))
            control->SetValueFromPlug(param->GetNormalized());
        // What the port layer really holds open decides, not the old selection.
        if (!direction.input)
            midiOutSet = index > 0;
        if (index == 0 && !name.empty() && name != "OFF")
            reportPortNotOpened(direction.param, name);
    }
    logDebug("PROJECT RECALL: MIDI In device after checking devices " + deviceLogText(GetParam(kDeviceInSelection)));
    logDebug("PROJECT RECALL: MIDI Out device after checking devices " +
             deviceLogText(GetParam(kDeviceOutSelection)));
}

void Zelto2X::deriveFlagsFromParameters()
{
    // The flags follow the values just recalled, so the editor filters as the
    // stored project did.
    for (int i = 0; i < kMidiFilterCount; ++i) {
        dawFilter[i] = GetParam(kMIDIFilterDAWCCPassThrough + i)->Value() != 1.0;
        hwFilter[i] = GetParam(kMIDIFilterHWCCPassThrough + i)->Value() != 1.0;
    }
    trackIncomingMIDI = GetParam(kMIDIFilterTrackIncomingMIDI)->Value() == 1.0;
    toDAWBuffer = GetParam(kMIDIFilterToDAWBuffer)->Value() == 1.0;
    sendClockPointer = GetParam(kSendMIDIClockPointer)->Value() == 1.0;
    sendClockInfo = GetParam(kSendMIDIClockInfo)->Value() == 1.0;
    // A locked section must stay locked for the recalled sound too.
    deriveSectionLockState();
}

void Zelto2X::sendRecalledSound()
{
    if (!midiOutSet)
        return;
    Sleep(50);
    sendGlobalBeforeSound = true;
    startWholeSoundJob(WholeSoundSend::RecalledToHardware);
}
