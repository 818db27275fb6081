// Outside bytes into the simulated Zelto 2: as one incoming message, behind
// a parameter message's header, as a .syx stream, and as the hex text of a
// "send" command.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "Zelto2Synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const zelto2sim::Bytes bytes(data, data + size);
    zelto2sim::Zelto2Synth synth(0);
    std::string refusal;
    for (const zelto2sim::Bytes& answer : synth.Receive(bytes, &refusal))
        if (answer.empty())
            __builtin_trap();
    // Laid out in place: the compiler takes an insert behind a short
    // initialiser list for a read past it.
    const uint8_t header[] = {0xF0, 0x3E, 0x16, 0x00, 0x41};
    zelto2sim::Bytes parameter(sizeof header + bytes.size() + 1, 0xF7);
    std::copy(std::begin(header), std::end(header), parameter.begin());
    std::copy(bytes.begin(), bytes.end(), parameter.begin() + sizeof header);
    synth.Receive(parameter, &refusal);
    synth.LoadSounds(zelto2sim::SplitSysEx(bytes));
    synth.Receive({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x00, 0x00, 0xF7});
    zelto2sim::ParseHex(std::string(bytes.begin(), bytes.end()));
    return 0;
}
