// Feeds arbitrary bytes to the incoming SysEx dispatcher (every route and
// request state, answers owed to earlier requests among them) and to the two
// dump decoders.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "Zelto2X.h"

namespace {

Zelto2X& editor()
{
    static Zelto2X* instance = [] {
        std::freopen("/dev/null", "w", stdout);  // the decoders log every byte they change
        return new Zelto2X(IPluginInstanceInfo());
    }();
    return *instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the request state; the rest is the message,
    // copied so that reading past its end is caught.
    const uint8_t flags = data[0];
    std::vector<uint8_t> message(data + 1, data + size);
    ISysEx msg(0, message.empty() ? nullptr : message.data(), static_cast<int>(message.size()));
    Zelto2X& plug = editor();
    MIDIMessageManager* manager = plug.midiMessageManager;
    manager->patchRequested = flags & 1;
    manager->libraryRequest.libraryRequestActive = flags & 2;
    plug.deviceInitialization = flags & 4;
    plug.patchLibrarian->transferSlot = (flags >> 3) % 8 == 7 ? 100 : (flags >> 3) % 8;
    // Bit 6: a request for the sound the bytes name left unanswered, so that the dump may be owed to it.
    if ((flags & 0x40) && message.size() > 6) {
        manager->expectReply(message[5] % 6 - 1, message[6] % 100);
        manager->requestSent(message[3]);
        manager->requestStoppedWaiting();
    }
    manager->ProcessSysEx(&msg, !(flags & 0x80));
    if (manager->libraryRequest.patch.messages.size() > 64)
        manager->libraryRequest.clear();
    if (!message.empty()) {
        manager->sysexPartPatchParse(&msg);
        manager->sysexSettingsParse(&msg);
    }
    return 0;
}
