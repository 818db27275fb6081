// Sending and storing sounds: job 0 (sound from the parameters), job 1 (the
// global step), job 2 (a library slot to the edit buffer), job 3 (a library
// bank into a hardware bank) and job 8 (the INIT sound into a library slot),
// with the pure dump builders they share.

#include <algorithm>
#include <cctype>
#include <cstring>

#include "EditorParameterSource.h"
#include "IParam.h"
#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "MIDIMessageSender.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "debugger.h"

namespace {

using consolelog::log;

constexpr int kDumpSize = zsysex::kSoundDumpSize;
constexpr int kNameCharacters = 13;  // byte 133 keeps the INIT sound's blank
constexpr uint8_t kAllNotesOff = 123;

// The category words job 0 shows, by kCategoryName.
const char* const kArrangementCategoryWords[] = {"INIT", "ARP", "ATMO", "BASS", "DRUM", "FX", "KEYS",
    "LEAD", "MONO", "PAD", "PERC", "POLY", "SEQ", "DUB", "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT"};

const char* arrangementCategoryWord(int category)
{
    return category >= 0 && category <= zsysex::kSoundMaxCategory ? kArrangementCategoryWords[category] : "None";
}

uint8_t dataByte(int value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 127));
}

void writeChecksumAndEnd(MIDIMessageSender::SoundDump& dump)
{
    dump[zsysex::kSoundChecksumByte] = zsysex::calculateCheckSum(dump.data(), kDumpSize);
    dump[kDumpSize - 1] = zsysex::kEnd;
}

// A stored slot message as a 137-byte dump: cut or zero-extended first, so
// the checksum and F7 always land at 135 and 136.
MIDIMessageSender::SoundDump dumpFromSlot(const std::vector<unsigned char>& message)
{
    MIDIMessageSender::SoundDump dump {};
    std::copy_n(message.begin(), std::min<size_t>(message.size(), kDumpSize), dump.begin());
    return dump;
}

MIDIMessageSender::SoundDump initDump()
{
    MIDIMessageSender::SoundDump dump;
    std::copy_n(zsysex::initSinglePatch, kDumpSize, dump.begin());
    return dump;
}

// The first message of a slot when it is a whole sound dump; null for a
// missing, empty or short slot.
const std::vector<unsigned char>* soundOfSlot(const LibrarianPatch& slot)
{
    if (slot.messages.empty() || slot.messages.front().bytes.size() < static_cast<size_t>(kDumpSize))
        return nullptr;
    return &slot.messages.front().bytes;
}

// The slots of a bank's first 100 that hold a whole sound.
int soundCount(const std::vector<LibrarianPatch>& slots)
{
    const size_t count = std::min<size_t>(slots.size(), zsysex::kProgramsPerBank);
    return static_cast<int>(std::count_if(slots.begin(), slots.begin() + static_cast<long>(count),
        [](const LibrarianPatch& slot) { return soundOfSlot(slot) != nullptr; }));
}

}  // namespace

// ---- Pure builders ----------------------------------------------------------------------

MIDIMessageSender::SoundDump MIDIMessageSender::buildArrangementDump(const zsysex::ParameterSource& params,
    const std::string& name, int category, int device)
{
    SoundDump dump = initDump();
    zsysex::encodeSoundParameters(params, dump.data());
    dump[3] = dataByte(device);
    dump[4] = zsysex::kCommandSoundDump;
    for (int i = 0; i < kNameCharacters; ++i) {
        const unsigned char c = i < static_cast<int>(name.size()) ? static_cast<unsigned char>(name[i]) : ' ';
        // The hardware shows 7-bit ASCII only: anything else becomes a blank.
        dump[zsysex::kSoundNameByte + i] = c < 0x80 && std::isprint(c) ? static_cast<uint8_t>(std::toupper(c)) : ' ';
    }
    dump[zsysex::kSoundCategoryByte] = dataByte(category);
    writeChecksumAndEnd(dump);
    return dump;
}

MIDIMessageSender::SoundDump MIDIMessageSender::buildEditBufferDump(const std::vector<unsigned char>& slotMessage,
    int device)
{
    SoundDump dump = dumpFromSlot(slotMessage);
    dump[3] = dataByte(device);
    dump[4] = zsysex::kCommandSoundDump;
    dump[5] = zsysex::kEditBufferAddress.high;
    dump[6] = zsysex::kEditBufferAddress.low;
    writeChecksumAndEnd(dump);
    return dump;
}

MIDIMessageSender::SoundDump MIDIMessageSender::buildStoreDump(const std::vector<unsigned char>& slotMessage,
    int bank, int program, int device)
{
    SoundDump dump = dumpFromSlot(slotMessage);
    dump[3] = dataByte(device);
    dump[4] = zsysex::kCommandSoundDump;
    const zsysex::SoundAddress address = zsysex::soundAddress(bank, program);
    dump[5] = address.high;
    dump[6] = address.low;
    writeChecksumAndEnd(dump);
    return dump;
}

MIDIMessageSender::SoundDump MIDIMessageSender::buildInitSlotDump(int device, int slot)
{
    SoundDump dump = initDump();
    dump[3] = dataByte(device);
    dump[4] = zsysex::kCommandSoundDump;
    dump[5] = 0;
    dump[6] = dataByte(slot);
    writeChecksumAndEnd(dump);
    return dump;
}

void MIDIMessageSender::GenTapPatternCode(char* out, const char* in)
{
    auto byteAt = [in](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(in[i])); };
    // Three groups of five base-24 digits, each digit from a (low, high) pair.
    uint32_t group[3] = {};
    for (int g = 0; g < 3; ++g)
        for (int k = 5 * g; k < 5 * g + 5; ++k)
            group[g] = group[g] * 24 + (byteAt(2 * k) | (8 * byteAt(2 * k + 1)));
    const uint32_t a = group[0], b = group[1], c = group[2];
    // Each group below 2^23 takes 23 bits; the groups follow each other from byte 0.
    const uint32_t packed[kTapPatternCodeSize] = {a, a >> 7, a >> 14, ((a >> 21) & 3) | (b << 2), b >> 5, b >> 12,
        ((b >> 19) & 15) | (c << 4), c >> 3, c >> 10, (c >> 17) & 63,
        (byteAt(30) & 127) | ((byteAt(31) * 8) & 127) | ((byteAt(32) * 4) & 96)};
    for (int i = 0; i < kTapPatternCodeSize; ++i)
        out[i] = static_cast<char>(packed[i] & 127);
}

int MIDIMessageSender::GeneratePatternCode(int step)
{
    return zsysex::encodePatternStep(EditorParameterSource(*plug), step + 1);
}

// ---- Shared steps ---------------------------------------------------------------------------

// The slot takes the sound directly, as an import does: through the editor's
// SysEx input the SysEx filter or a loading sound would drop it unseen.
void MIDIMessageSender::storeInTransferSlot(const SoundDump& dump, const char* done)
{
    PatchLibrarian* library = plug->patchLibrarian;
    const std::vector<unsigned char> bytes(dump.begin(), dump.end());
    if (library && library->replaceTransferSlot(LibrarianPatch::fromSoundDump(bytes))) {
        plug->reportSlotStored(done);
        plug->updatePatchLibrarianView(0);
    } else {
        plug->showLibrarianResult("Nothing stored!", "No bank to fill");
    }
}

// ---- Job 0 and job 1 ------------------------------------------------------------------------

void MIDIMessageSender::sendGlobalToDevice(int)
{
    showIndicator(true);
    plug->globalSettingsSent = true;
    delay(1000);
    showIndicator(false);
}

void MIDIMessageSender::sendArrangementToDevice(bool arrangementToLibrary, bool, std::optional<bool> globalSettingsSent)
{
    showIndicator(true);
    if (!arrangementToLibrary) {
        bool settingsSent = globalSettingsSent.value_or(plug->globalSettingsSent.load());
        if (plug->globalSendRequested) {
            sendGlobalToDevice(0);
            delay(400);
            settingsSent = true;
        }
        if (!settingsSent) {
            sendGlobalToDevice(0);
            delay(400);
        }
    }

    const EditorParameterSource params(*plug);
    // The patch-data container gets the parameter bytes on the INIT frame.
    SoundDump sound = initDump();
    zsysex::encodeSoundParameters(params, sound.data());
    for (int i = 0; i < kDumpSize; ++i) {
        const int old = plug->getProgramValueByParts(0, 0, i);
        if (i <= zsysex::kSoundLastRawByte && old != sound[i])
            log("Index %i changed in SINGLE from\t - Value: %i to Value: %i\n", i, old, sound[i]);
        plug->setProgramValueByParts(0, 0, i, sound[i]);
    }

    IParam* nameParam = plug->GetParam(kPatchName);
    const std::string name = nameParam ? nameParam->GetDisplayText(static_cast<int>(nameParam->Value())) : "";
    const int category = static_cast<int>(params.parameterValue(kCategoryName));
    const std::string categoryWord = arrangementCategoryWord(category);
    plug->displayCategoryName(categoryWord);
    SoundDump dump = buildArrangementDump(params, name, category, static_cast<int>(params.parameterValue(kGlobalDeviceID)));

    if (arrangementToLibrary) {
        storeInTransferSlot(dump, "Sound stored!");
    } else {
        plug->checksumCheckAndSend(dump.data(), kDumpSize);
        plug->setCurrentSoundTexts(name.empty() ? "Set Name" : name, categoryWord);
        plug->setLibrarianViewDirty();
        delay(200);
    }
    showIndicator(false);
}

// ---- Job 2 ---------------------------------------------------------------------------------------

void MIDIMessageSender::sendPatchToDeviceFromLibrarian(const LibrarianPatch& patch, int, int)
{
    showIndicator(true);
    IMidiMsg notesOff;
    notesOff.MakeControlChangeMsg(static_cast<IMidiMsg::EControlChangeMsg>(kAllNotesOff), 0.0, 0);
    plug->SendMidiMsg(&notesOff);
    delay(50);

    const std::vector<unsigned char>* sound = soundOfSlot(patch);
    if (sound) {
        const SoundDump dump = buildEditBufferDump(*sound, static_cast<int>(plug->paramValue(kGlobalDeviceID)));
        plug->SendMidiSysex2(std::vector<unsigned char>(dump.begin(), dump.end()));

        log("Data package size when entering sysex parse from librarian double click: %i\n", kDumpSize);
        // Straight into the parameters: the SysEx filter and a loading sound
        // hold back what the synth sends, not the sound the editor sends it.
        m_manager->loadSoundIntoEditor(dump.data(), kDumpSize);
        showStatus("Data send completed!");
    }
    showIndicator(false);
    plug->patchLoading = false;
}

// ---- Job 3 ----------------------------------------------------------------------------------------

PatchFile* MIDIMessageSender::bankFileOfStoreList(int storeListSelector)
{
    // The bank the list shows and names, by the editor's one list rule.
    return plug->patchLibrarian ? plug->librarianListBank(storeListSelector) : nullptr;
}

namespace {

// Short enough for the status display at every size with any count: the
// widest, "99 of 100", leaves the display's margin on both sides.
std::string soundCountText(const char* opening, int done, int sounds, const char* closing)
{
    return opening + (" " + std::to_string(done)) + " of " + std::to_string(sounds) + " " + closing;
}

}  // namespace

std::string MIDIMessageSender::cancelledStoreText(int stored, int sounds)
{
    return soundCountText("Store CANCELLED!", stored, sounds, "stored");
}

// The port watch tells a port gone at its next look: the last sounds sent
// before it may not have reached the synth, so they are told sent, not stored.
std::string MIDIMessageSender::outputGoneStoreText(int sent, int sounds)
{
    return soundCountText("MIDI OUT gone!", sent, sounds, "sent");
}

void MIDIMessageSender::storeAllPatchesToDeviceFromLibrarian(int storeBank, int storeListSelector, int)
{
    showIndicator(true);
    cancelRequested = false;
    forgetPortsGone();
    const int t = plug->getTimerValue();
    IMidiMsg notesOff;
    notesOff.MakeControlChangeMsg(static_cast<IMidiMsg::EControlChangeMsg>(kAllNotesOff), 0.0, 0);
    plug->SendMidiMsg(&notesOff);
    delay(50);

    // The sounds are copied under the library lock: a reload on the main
    // thread cannot pull them away while they are sent.
    std::vector<LibrarianPatch> slots;
    int sounds = 0;
    if (PatchLibrarian* library = plug->patchLibrarian) {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        if (PatchFile* bank = bankFileOfStoreList(storeListSelector)) {
            slots = bank->patches;
            sounds = soundCount(bank->patches);
        }
    }
    if (slots.empty()) {
        showIndicator(false);
        return;
    }
    const int device = plug->currentDeviceId;
    const int slotCount = std::min(static_cast<int>(slots.size()), zsysex::kProgramsPerBank);
    int stored = 0;
    std::string outcome = "Data send completed!";
    // The user may stop a store between two sounds, and the output may go:
    // the sounds sent stay stored, and the status says how many went out.
    // Either once every sound has gone out stops nothing: the store is
    // complete.
    for (int k = 0; k < slotCount && !shuttingDown; ++k) {
        if (stored < sounds && (cancelRequested || outputPortGone)) {
            outcome = cancelRequested ? cancelledStoreText(stored, sounds) : outputGoneStoreText(stored, sounds);
            break;
        }
        m_manager->progress.set(JobProgress::Counting::Sounds, k + 1, zsysex::kProgramsPerBank);
        const std::vector<unsigned char>* sound = soundOfSlot(slots[k]);
        if (!sound)
            continue;
        showIndicator(true);
        plug->selectLibrarianListSlot(storeListSelector, k);
        const SoundDump dump = buildStoreDump(*sound, storeBank, k, device);
        plug->SendMidiSysex2(std::vector<unsigned char>(dump.begin(), dump.end()));
        ++stored;
        delay(t);
        showIndicator(false);
    }
    showIndicator(false);
    plug->selectLibrarianSlot(0);
    showStatus(outcome.c_str());
}

// ---- Job 8 ------------------------------------------------------------------------------------------

void MIDIMessageSender::initClassicPatch(bool)
{
    showIndicator(true);
    int slot = 0;
    if (PatchLibrarian* library = plug->patchLibrarian) {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        slot = library->transferSlot;
    }
    const SoundDump dump = buildInitSlotDump(static_cast<int>(plug->paramValue(kGlobalDeviceID)), slot);
    log("checksum for initialized data = %i\n", dump[zsysex::kSoundChecksumByte]);
    delay(100);
    storeInTransferSlot(dump, "Slot initialized!");
    showIndicator(false);
}
