// A stream of incoming MIDI fed to the editor built with the bundle's real configuration while its workers run jobs:
// the first byte picks a job and the input route, the rest is split into short messages (a status byte and up to two
// data bytes) and SysEx (F0 up to the next F7 or the end). Sends go nowhere and time is virtual, so a request job's
// delays pass at once and its replies may come from the stream.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "PatchLibrarian.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

namespace {

class SilentEditor : public Zelto2X {
public:
    SilentEditor() : Zelto2X(IPluginInstanceInfo()) {}
    bool SendMidiSysex(unsigned char*, int) override { return true; }
    bool SendMidiSysex2(std::vector<unsigned char>) override { return true; }
    bool SendMidiMsg(IMidiMsg*) override { return true; }
};

SilentEditor& editor()
{
    static SilentEditor* instance = [] {
        if (!dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) {
            std::fprintf(stderr, "%s\n", dlerror());
            std::abort();
        }
        static dovor::SteppedClock clock;
        dovor::SetVirtualClock(&clock);
        char folder[] = "/tmp/zelto2x-midi-fuzz-XXXXXX";
        setenv("ZELTO2X_DATA_FOLDER", (std::string(mkdtemp(folder)) + "/").c_str(), 1);
        std::freopen("/dev/null", "w", stdout);  // the decoders log every byte they change
        auto* plug = new SilentEditor();
        plug->midiOutSet = true;
        // An upper library bank for the jobs that read or fill slots.
        PatchLibrarian* library = plug->patchLibrarian;
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        library->bankFiles.push_back(std::make_unique<PatchFile>());
        library->bankFiles.back()->patches.resize(100);
        library->upperSelection = static_cast<int>(library->bankFiles.size()) - 1;
        return plug;
    }();
    return *instance;
}

// Starts one job, or none; a busy worker drops it, which is part of the test.
void startJob(MIDIMessageManager& manager, uint8_t choice)
{
    switch (choice % 9) {
    case 1: manager.sendActiveArrangementRequestSysex(choice & 0x10); break;
    case 2: manager.sendSinglePatchRequestSysexFromLibrarian(choice & 0x10); break;
    case 3: manager.sendAllPatchRequestSysexFromLibrarian((choice >> 4) % 6); break;
    case 4: manager.sendPartRequestSysex(choice & 0x10, choice >> 4); break;
    case 5: manager.sendArrangementToDevice(choice & 0x10, choice & 0x20); break;
    case 6: manager.initClassicPatch(); break;
    case 7: manager.sendDeviceIdEnquiry(); break;
    case 8: manager.storeAllPatchesToDeviceFromLibrarian((choice >> 4) % 6, 0); break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    SilentEditor& plug = editor();
    MIDIMessageManager& manager = *plug.midiMessageManager;
    plug.patchLibrarian->transferSlot = data[1] % 101;
    startJob(manager, data[0]);
    const bool fromHardware = data[1] & 0x80;

    // Hardware input goes through the port layer's entry, which tells short
    // messages from SysEx by length; host input straight to the editor.
    size_t at = 2;
    while (at < size) {
        size_t end = at + 1;
        const bool sysex = data[at] == 0xF0;
        while (end < size && (sysex ? data[end] != 0xF7 : end < at + 3 && data[end] < 0x80))
            ++end;
        end = sysex && end < size ? end + 1 : end;
        // Copied, so reading past the message is caught.
        std::vector<uint8_t> bytes(data + at, data + end);
        if (fromHardware) {
            IPluginBase::MIDICallback(0.0, &bytes, &plug);
        } else if (bytes.front() == 0xF0) {
            ISysEx sysex(0, bytes.data(), static_cast<int>(bytes.size()));
            plug.ProcessSysEx(&sysex, false);
        } else {
            IMidiMsg msg(0, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
            plug.ProcessMidiMsg(&msg, false);
        }
        at = end;
    }
    if (manager.requestThreadIdle() && manager.libraryRequest.patch.messages.size() > 64)
        manager.libraryRequest.clear();
    return 0;
}
