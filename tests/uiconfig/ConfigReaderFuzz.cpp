// Feeds arbitrary configuration texts to the reader after they have been
// deciphered: the input is the SysEx configuration, a form feed, then the UI
// configuration (no form feed: all of it is the UI configuration).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ConfigCipher.h"
#include "GraphicsTestSupport.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"

namespace {

class ResourceGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;
    std::vector<unsigned char> sysex, ui;

    void* OSLoadFile(int id, const char*) override
    {
        const std::vector<unsigned char>& data = id == 101 ? sysex : ui;
        auto* buffer = new char[data.size() + 1]();
        if (!data.empty())
            std::memcpy(buffer, data.data(), data.size());
        SetLoadedFileSize(static_cast<int>(data.size()));
        return buffer;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\f');
    TestPlug plug(kNumParams);
    // A small panel: the reader's paths don't depend on its size, and a
    // full-size bitmap per run would make the fuzzer mostly clear memory.
    auto* gui = new ResourceGraphics(&plug, 150, 76);
    plug.AttachGraphics(gui);
    gui->sysex = encipherConfigText(split == std::string::npos ? std::string() : input.substr(0, split));
    gui->ui = encipherConfigText(split == std::string::npos ? input : input.substr(split + 1));
    UIConfigManager config;
    config.readConfiguration(gui, &plug, 1.25);
    return 0;
}
