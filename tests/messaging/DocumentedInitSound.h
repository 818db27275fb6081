#pragma once
// The INIT sound exactly as the documented dump table gives it, byte for byte
// (both the editor's and the simulated synth's copies are checked against it),
// and the reader of the hex text byte expectations are written in.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<uint8_t> bytesOf(const std::string& hex)
{
    std::istringstream in(hex);
    std::vector<uint8_t> bytes;
    for (std::string pair; in >> pair;)
        bytes.push_back(static_cast<uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
    return bytes;
}

inline const std::vector<uint8_t> kDocumentedInitSound = bytesOf(
    "F0 3E 16 00 10 7F 00 00 7F 40 40 01 28 00 7F 40 40 01 00 00 00 40 40 00 00 40 00 40 00 0A 00 00 2A 2A 2A 00 "
    "02 00 2A 7F 2A 00 02 00 01 25 09 00 00 7F 00 40 00 40 40 00 00 40 00 64 40 02 46 00 00 40 0A 00 40 00 00 40 "
    "00 00 40 00 00 40 00 00 40 00 00 40 00 0A 0A 0A 00 00 00 00 03 03 06 40 40 32 32 32 32 32 32 32 32 32 32 32 "
    "32 32 32 32 32 0F 0D 00 00 00 00 01 49 4E 49 54 20 20 20 20 20 20 20 20 20 20 00 2A F7");
