// Feeds arbitrary configuration texts to the reader after they have been
// deciphered: the input is the SysEx configuration, a form feed, then the UI
// configuration (no form feed: all of it is the UI configuration).
#include <cstdint>
#include <cstdio>
#include <string>

#include "ConfigCipher.h"
#include "ConfigGraphics.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\f');
    const bool both = split != std::string::npos;
    TestPlug plug(kNumParams);
    // A small panel: the reader's paths don't depend on its size, and a
    // full-size bitmap per run would make the fuzzer mostly clear memory.
    auto* gui = new ConfigGraphics(&plug, 150, 76);
    plug.AttachGraphics(gui);
    gui->resources["resources/sysex.tea"] = encipherConfigText(both ? input.substr(0, split) : std::string());
    gui->resources["resources/uiconfig.tea"] = encipherConfigText(both ? input.substr(split + 1) : input);
    UIConfigManager config;
    config.readConfiguration(gui, &plug, 1.25);
    return 0;
}
