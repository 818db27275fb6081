#include "debugger.h"

#include <cstdio>
#include <ctime>
#include <string>

void DebuggerOutput::printDebugInfo(std::string path, std::string text)
{
    std::printf("Build LOG: \t %s\n", text.c_str());
    FILE* file = std::fopen(path.c_str(), "a");
    if (!file)
        return;
    char stamp[64];
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d.%X", &local);
    std::fprintf(file, "%s\t %s\n", stamp, text.c_str());
    std::fclose(file);
}

void DebuggerOutput::logSysExOutMessageByte(const unsigned char* bytes, int count)
{
    // The frame bytes are printed by the format itself.
    std::string hex;
    char cell[4];
    for (int i = 0; i < count; ++i) {
        if ((i == 0 && bytes[i] == 0xF0) || (i == count - 1 && bytes[i] == 0xF7))
            continue;
        std::snprintf(cell, sizeof(cell), "%02X ", bytes[i]);
        hex += cell;
    }
    std::printf("Plug-in MIDI Out (sysex | %i bytes | F0 %sF7)\n", count, hex.c_str());
}
