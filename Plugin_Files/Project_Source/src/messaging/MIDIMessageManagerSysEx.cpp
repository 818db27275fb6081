// Incoming SysEx: the dispatcher, device-ID adoption, the sound and global
// dump decoders, the single-parameter path and library request completion.

#include <cstdio>

#include "ControlLayer.h"
#include "EditorParameterSource.h"
#include "IControl.h"
#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "debugger.h"
#include "Zelto2X.h"

namespace {

using consolelog::log;

}  // namespace

// Pushes decoded values to the controls and keeps the pattern-step scratch.
class ManagerParameterSink : public zsysex::ParameterSink {
public:
    explicit ManagerParameterSink(MIDIMessageManager& manager) : m_manager(manager) {}
    void setParameter(int index, double value) override { m_manager.pushParameter(index, value); }
    void patternStepDecoded(int event, int time, int glide) override
    {
        m_manager.lastStepEvent = event;
        m_manager.lastStepTime = time;
        m_manager.lastStepGlide = glide;
    }

private:
    MIDIMessageManager& m_manager;
};

// ---- Dispatch ---------------------------------------------------------------------

void MIDIMessageManager::ProcessSysEx(ISysEx* msg, bool fromHardware)
{
    if (!msg)
        return;
    const unsigned char* bytes = msg->mData;
    const int size = msg->mSize;
    zsysex::DispatchState state;
    state.fromHardware = fromHardware;
    state.libraryRequestActive = libraryRequest.libraryRequestActive;
    state.patchRequested = patchRequested;
    state.globalRequestPending = plug->deviceInitialization;

    const zsysex::SysExRoute route = zsysex::routeSysEx(bytes, size, state);
    // Read on every route of the synth's messages, so that an owed answer
    // ends its note also when nothing waits; only a route that would take it
    // in refuses it.
    const bool owed = route != zsysex::SysExRoute::Ignored && route != zsysex::SysExRoute::BadHeader
        && isOwedAnswer(bytes, size);
    switch (route) {
    case zsysex::SysExRoute::Ignored:
        return;
    case zsysex::SysExRoute::BadHeader:
        log("This is not the data we are expecting!\n");
        return;
    case zsysex::SysExRoute::LibraryRequest:
        if (!owed)
            completeLibraryRequest(bytes, size);
        return;
    case zsysex::SysExRoute::SoundDump:
    case zsysex::SysExRoute::GlobalDump: {
        const bool sound = route == zsysex::SysExRoute::SoundDump;
        if (sound && owed)
            return;
        // The global request went out after every noted sound request, and
        // the synth answers in order: a noted answer not come by now never will.
        if (!sound && size == zsysex::kGlobalDumpSize)
            m_owedAnswers.deviceAnswered(bytes[3]);
        log(sound ? "SysEx data processed in reqular patch / settings parser\n"
                  : "SysEx data processed in reqular patch / settings parser IN DEBUG MODE\n");
        requestProcessedToSlot = true;
        adoptDeviceId(bytes[3]);
        if (sound)
            sysexPartPatchParse(msg);
        else
            sysexSettingsParse(msg);
        guiUpdatePending = true;
        break;
    }
    case zsysex::SysExRoute::NotDecoded:
        break;
    case zsysex::SysExRoute::SingleParameter:
        // The single-parameter message carries 0x58 where dumps carry the
        // device ID, so it leaves the adopted ID alone; other short messages
        // name their device.
        if (!zsysex::hasSingleParameterAddress(bytes, size))
            adoptDeviceId(bytes[3]);
        controlNotFound = false;
        guiUpdatePending = false;
        if (zsysex::isSingleParameterMessage(bytes, size))
            applySingleParameter(bytes);
        break;
    }
    closeSysEx();
}

void MIDIMessageManager::loadSoundIntoEditor(const unsigned char* bytes, int size)
{
    ISysEx msg(0, bytes, size);
    sysexPartPatchParse(&msg);
    if (plug->miniMixerLayer)
        plug->miniMixerLayer->setControlsDirty();
    guiUpdatePending = true;
    closeSysEx();
}

void MIDIMessageManager::closeSysEx()
{
    if (guiUpdatePending) {
        log("[SysEx] ATTENTION: plugin GUI view update triggered by boolean\n");
        plug->updateUserInterfaceAndMenus();
        guiUpdatePending = false;
    }
    if (requestProcessedToSlot) {
        requestProcessedToSlot = false;
        log("request processed to a slot!\n");
    }
}

void MIDIMessageManager::adoptDeviceId(int device)
{
    if (device != plug->currentDeviceId) {
        plug->setParamValueClamped(kGlobalDeviceID, device);
        plug->currentDeviceId = device;
    }
    if (device != plug->currentDeviceId2)
        plug->currentDeviceId2 = device;
}

void MIDIMessageManager::completeLibraryRequest(const unsigned char* bytes, int size)
{
    int bank = 0, program = 0;
    if (size == zsysex::kSoundDumpSize && !takesReply(bytes, size, &bank, &program)) {
        log("Sound dump for another slot than the requested one ignored\n");
        return;
    }
    requestProcessedToSlot = true;
    if (!libraryRequest.addMessageData(bytes, size))
        return;
    const LibrarianPatch sound = libraryRequest.completedSoundPatch();
    if (patchLibrarian) {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        const int slot = patchLibrarian->transferSlot;
        if (slot >= 0 && slot < zsysex::kProgramsPerBank && !libraryAnswersRefused
            && patchLibrarian->setSysexDatatoSelectedSlot(&sound))
            ++soundsFiled;
    }
    plug->updatePatchLibrarianView(0);
    plug->setLibrarianViewDirty();
    requestProcessedToSlot = false;
    dataProcessed = true;
}

void MIDIMessageManager::refuseLibraryAnswers()
{
    if (!patchLibrarian) {
        libraryAnswersRefused = true;
        return;
    }
    // Under the lock a store into the slot takes: no store is under way after this.
    std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
    libraryAnswersRefused = true;
}

// ---- Single-parameter messages --------------------------------------------------------

void MIDIMessageManager::applySingleParameter(const unsigned char* bytes)
{
    IControl* control = plug->getSysexControl(bytes[3], bytes[4], bytes[5], bytes[6], 0);
    if (!control)
        return;
    patchRequested = false;
    const int b5 = bytes[5], b6 = bytes[6];
    const bool refreshTab = (b5 == 0x00 && b6 == 0x02) || ((b5 == 0x29 || b5 == 0x6B || b5 == 0x70) && b6 == 0x00)
        || (b5 == 0x7B && b6 == 0x01);
    const bool quiet = refreshTab || (b5 == 0x10 && b6 == 0x00);
    suppressEcho = quiet;
    moveControl(control, bytes[7]);
    if (refreshTab)
        plug->OnParamChange2(kMainTab);
    if (quiet)
        suppressEcho = false;
}

void MIDIMessageManager::processSysExToUI(IControl* control, int value, bool notifyTab, bool, bool suppress)
{
    if (!control)
        return;
    suppressEcho = false;
    patchRequested = false;
    if (suppress)
        suppressEcho = true;
    moveControl(control, value);
    if (notifyTab)
        plug->OnParamChange2(kMainTab);
    suppressEcho = false;
}

void MIDIMessageManager::getNormalControl(int b3, int b4, int b5, int b6, int value, bool suppress)
{
    IControl* control = plug->getSysexControl(b3, b4, b5, b6, 0);
    if (!control) {
        controlNotFound = true;
        return;
    }
    processSysExToUI(control, value, false, false, suppress);
}

// ---- Sound dump ----------------------------------------------------------------------

void MIDIMessageManager::sysexPartPatchParse(ISysEx* msg)
{
    if (!msg || !msg->mData || !zsysex::isDecodableSoundDump(msg->mData, msg->mSize))
        return;
    const unsigned char* bytes = msg->mData;
    const int size = msg->mSize;
    dataProcessed = false;
    const zsysex::SectionLockState locks = zsysex::SectionLockState::read(EditorParameterSource(*plug));

    decodeSoundNameAndCategory(bytes, size);
    storeRawSoundBytes(bytes, size);
    ManagerParameterSink sink(*this);
    zsysex::decodeSoundParameters(bytes, size, locks, sink);
    // A reply to a slot request names the requested slot, whichever of the
    // two address forms it carries.
    int bank = 0, program = 0;
    if (takesReply(bytes, size, &bank, &program) && bank >= 0 && !locks.isLocked(zsysex::SectionLock::Osc1)) {
        pushParameter(kCurrentBank, bank);
        pushParameter(kCurrentPatch, program);
    }

    guiUpdatePending = true;
    dataProcessed = true;
    dumpReplyFlag = true;
}

void MIDIMessageManager::decodeSoundNameAndCategory(const unsigned char* bytes, int size)
{
    const std::string name = zsysex::soundName(bytes, size);
    if (plug->NParams() > kPatchName) {
        IParam* patchName = plug->GetParam(kPatchName);
        patchName->SetDisplayText(0, name.c_str());
    }
    const int category = bytes[zsysex::kSoundCategoryByte];
    const char* word = zsysex::soundCategoryWord(category);
    plug->setCurrentSoundTexts(name.empty() ? "Set Name" : name, word);
    plug->setLibrarianViewDirty();
    setParameterDirect(kCategoryName, category);
    pushParameter(kCategoryName, category);
    plug->displayCategoryName(word);
}

void MIDIMessageManager::storeRawSoundBytes(const unsigned char* bytes, int size)
{
    const int last = std::min(size - 1, zsysex::kSoundLastRawByte);
    for (int i = 0; i <= last; ++i) {
        const int old = plug->getProgramValueByParts(0, 0, i);
        if (old != bytes[i])
            log("Patch index %i changed in SINGLE from\t - Value: %i to Value: %i\n", i, old, bytes[i]);
        plug->setProgramValueByParts(0, 0, i, bytes[i]);
    }
}

// ---- Global dump ---------------------------------------------------------------------

void MIDIMessageManager::sysexSettingsParse(ISysEx* msg)
{
    if (!msg || !msg->mData || !zsysex::isDecodableGlobalDump(msg->mData, msg->mSize))
        return;
    const unsigned char* bytes = msg->mData;
    dataProcessed = false;
    for (int i = 0; i < zsysex::kGlobalDumpSize; ++i) {
        const int b = bytes[i];
        const bool mapped = i >= zsysex::kGlobalFirstParameterByte && i <= zsysex::kGlobalLastParameterByte;
        if (mapped && plug->globalBytes[i] != b)
            log("Index %i changed in GLOBAL from\t - Value: %i to Value: %i\n", i, plug->globalBytes[i].load(), b);
        plug->globalBytes[i] = b;
        const zsysex::GlobalDumpField* field = mapped ? zsysex::globalDumpField(i) : nullptr;
        if (field)
            pushParameter(field->parameter, b + field->offset);
        if (i == zsysex::kGlobalClockByte) {
            if (plug->arpTempoKnobLayer)
                plug->arpTempoKnobLayer->GrayOut(b != 0);
            if (plug->arpTempoClockLayer)
                plug->arpTempoClockLayer->GrayOut(b == 0);
        }
    }
    dataProcessed = true;
    plug->deviceInitialization = false;
    guiUpdatePending = true;
    log("[SysEx] dataProcessed on System Common decoder - System Request Complete!\n");
    log("\n\n");
    patchRequested = false;
    log("patchRequested = false!\n");
}

// ---- Tap-pattern code -------------------------------------------------------------------

void MIDIMessageManager::decodeTapPatternCode(const unsigned char* code, char* out)
{
    const long numbers[3] = {
        code[0] + (code[1] << 7) + (code[2] << 14) + ((code[3] % 4L) << 21),
        (code[3] / 4) + (code[4] << 5) + (code[5] << 12) + ((code[6] % 16L) << 19),
        (code[6] / 16) + (code[7] << 3) + (code[8] << 10) + (static_cast<long>(code[9]) << 17),
    };
    for (int k = 0; k < 3; ++k) {
        // Five base-24 digits, most significant first; the top one taken mod 24.
        long rest = numbers[k];
        int digits[5];
        for (int j = 4; j >= 0; --j) {
            digits[j] = static_cast<int>(rest % 24);
            rest /= 24;
        }
        for (int j = 0; j < 5; ++j) {
            out[10 * k + 2 * j] = static_cast<char>(digits[j] % 8);
            out[10 * k + 2 * j + 1] = static_cast<char>(digits[j] / 8);
        }
    }
    out[30] = static_cast<char>(code[10] % 8);
    const int middle = (code[10] / 8) % 4;
    out[31] = static_cast<char>(middle == 3 ? 0 : middle);
    out[32] = static_cast<char>(((code[10] / 32) % 4) * 8);
}
