#include "debugger.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

void DebuggerOutput::printDebugInfo(std::string path, std::string text)
{
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
    std::printf("Build LOG: \t %s\n", text.c_str());
}

void DebuggerOutput::logSysExOutMessageByte(const unsigned char* bytes, int count)
{
    std::string hex;
    char cell[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof(cell), "%02x ", bytes[i]);
        hex += cell;
    }
    std::printf("Plug-in MIDI Out (sysex | %i bytes | F0 %sF7)\n", count, hex.c_str());
}

void consolelog::log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}

void buildlog::log(const char* format, ...)
{
    std::printf("Build LOG: \t");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}
