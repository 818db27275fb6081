// Outside bytes into the simulated Zelto 2: as one incoming message, as a
// .syx stream, and as the hex text of a "send" command.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Zelto2Synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const zelto2sim::Bytes bytes(data, data + size);
    zelto2sim::Zelto2Synth synth(0);
    for (const zelto2sim::Bytes& answer : synth.Receive(bytes))
        if (answer.empty())
            __builtin_trap();
    synth.LoadSounds(zelto2sim::SplitSysEx(bytes));
    synth.Receive({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x00, 0x00, 0xF7});
    zelto2sim::ParseHex(std::string(bytes.begin(), bytes.end()));
    return 0;
}
