// The roads of library sounds to the hardware: one slot to the edit buffer,
// a whole bank into a hardware bank.

#include "Zelto2X.h"

#include "LibrarianViewControl.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"

namespace {

constexpr const char* kNoBankToSend = "No bank to send!";
constexpr const char* kNoBankToFill = "No bank to fill!";
constexpr const char* kSelectASlot = "Select a slot on the left!";

}  // namespace

void Zelto2X::sendPatchToDeviceFromLibrarian(int slot, int list)
{
    // The job gets its own copy: a reload may free the bank while it runs.
    LibrarianPatch sound;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        PatchFile* bank = librarianListBank(list);
        if (!bank)
            return;
        bank->patches.resize(std::max<size_t>(bank->patches.size(), kLibraryBankSize));
        if (slot < 0 || slot >= kLibraryBankSize || bank->patches[static_cast<size_t>(slot)].messages.empty())
            return;
        bank->patches[static_cast<size_t>(slot)].clone(sound);
    }
    if (librarianView)
        librarianView->activeSlot = slot;
    setParamValueClamped(kCurrentPatch, slot);
    if (refuseWithoutOutput() || refuseWhileBusy())
        return;
    startSendSlotJob(sound);
}

void Zelto2X::storeAllPatchesToDeviceFromLibrarian(int bank, int list)
{
    if (refuseWithoutOutput() || refuseWhileBusy())
        return;
    startStoreBankJob(bank, list);
}

void Zelto2X::SendSingleProgramFromLibrarian(bool)
{
    const int list = librarianView && librarianView->upperSelectedSlot < 0 ? 1 : 0;
    int slot;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        slot = patchLibrarian->transferSlot;
    }
    if (refuseWithoutBank(list, kNoBankToSend))
        return;
    if (slot < 0 || slot >= kLibraryBankSize) {
        showLibrarianResult(kSelectASlot);
        return;
    }
    sendPatchToDeviceFromLibrarian(slot, list);
}

void Zelto2X::SendAllProgramsFromLibrarian(int bank)
{
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        patchLibrarian->transferSlot = 0;
    }
    const int list = librarianView && librarianView->upperSelectedSlot < 0 ? 1 : 0;
    if (!refuseWithoutBank(list, kNoBankToSend))
        storeAllPatchesToDeviceFromLibrarian(bank, list);
}

bool Zelto2X::refuseWithoutUpperSlot()
{
    if (refuseWithoutBank(0, kNoBankToFill))
        return true;
    std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
    const int slot = patchLibrarian->transferSlot;
    if (slot >= 0 && slot < kLibraryBankSize)
        return false;
    showLibrarianResult(kSelectASlot);
    return true;
}

// ---- Worker jobs and the core ------------------------------------------------------

bool Zelto2X::startSendSlotJob(const LibrarianPatch& sound)
{
    return midiMessageManager->sendPatchToDeviceFromLibrarian(sound);
}

bool Zelto2X::startStoreBankJob(int bank, int list)
{
    return midiMessageManager->storeAllPatchesToDeviceFromLibrarian(bank, list);
}

bool Zelto2X::libBankChange()
{
    return BankChangeMessage();
}

void Zelto2X::libRequestEditBuffer()
{
    if (!refuseWithoutOutput() && !refuseWhileBusy())
        midiMessageManager->sendActiveArrangementRequestSysex(true);
}

void Zelto2X::libRequestSound(bool editBuffer)
{
    if (!refuseWithoutUpperSlot() && !refuseWithoutOutput() && !refuseWhileBusy())
        midiMessageManager->sendSinglePatchRequestSysexFromLibrarian(editBuffer);
}

void Zelto2X::libRequestBank(int bank)
{
    // A hundred requests with nowhere to put the answers would only take time.
    // The 100 sounds take every slot, as a bank step changes them all.
    if (!refuseWithoutBank(0, kNoBankToFill) && !refuseWhileUnsaved() && !refuseWithoutOutput() && !refuseWhileBusy())
        midiMessageManager->sendAllPatchRequestSysexFromLibrarian(bank);
}

void Zelto2X::libPushCurrentData()
{
    if (refuseWithoutOutput() || refuseWhileBusy())
        return;
    // The global step goes before this sound and every later one until the
    // request is cleared. The loading guard belongs to this job alone: the
    // worker sets it once the job has started, never for a dropped one.
    globalSendRequested = true;
    MIDIJob job;
    job.jobCode = kJobSendArrangement;
    job.arrangementToLibrary = false;
    job.setPatchLoading = true;
    midiMessageManager->startJob(job);
}

void Zelto2X::libCurrentSoundToSlot()
{
    if (!refuseWithoutUpperSlot() && !refuseWhileBusy())
        midiMessageManager->sendArrangementToDevice(true, false);
}

void Zelto2X::libInitSlot()
{
    if (!refuseWithoutUpperSlot() && !refuseWhileBusy())
        midiMessageManager->initClassicPatch();
}

void Zelto2X::libRequestProgram(int program)
{
    midiMessageManager->sendPartRequestSysex(true, program);
}

void Zelto2X::libOpenHelp(int item)
{
    if (item <= 1)
        OpenDataDirectory(item == 1);
    else
        OpenHelpTopics(item - 2);
}
