#include "debugger.h"

#include "IPluginStructs.h"
#include "Zelto2X.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

bool DebuggerOutput::openDebugFile(std::string path)
{
    FILE* existing = std::fopen(path.c_str(), "r");
    if (!existing) {
        std::printf("Unable to open Plug-in LOG file\n");
        return false;
    }
    std::fclose(existing);
    // A LOG file that cannot be emptied cannot be written either (a
    // read-only data folder): the user is told, as for a missing one.
    FILE* emptied = std::fopen(path.c_str(), "w");
    if (!emptied) {
        std::printf("Unable to open Plug-in LOG file\n");
        return false;
    }
    std::fclose(emptied);
    return true;
}

void DebuggerOutput::printDebugInfo(std::string path, std::string text)
{
    FILE* file = std::fopen(path.c_str(), "a");
    if (!file)
        return;
    char stamp[80];
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d.%X", &local);
    std::fprintf(file, "%s\t %s\n", stamp, text.c_str());
    std::fclose(file);
    std::printf("Build LOG: \t %s\n", text.c_str());
}

namespace {

template <typename Value>
void printSysExOut(const Value* values, int count)
{
    std::string hex;
    char cell[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof(cell), "%02x ", static_cast<unsigned>(values[i]) & 0xFFu);
        hex += cell;
    }
    std::printf("Plug-in MIDI Out (sysex | %i bytes | F0 %sF7)\n", count, hex.c_str());
}

}  // namespace

void DebuggerOutput::logSysExOutMessageByte(const unsigned char* bytes, int count)
{
    printSysExOut(bytes, count);
}

void DebuggerOutput::logSysExOutMessageByteInt(const std::vector<int>& values, int count)
{
    printSysExOut(values.data(), std::min(count, static_cast<int>(values.size())));
}

bool DebuggerOutput::compareMIDIdata(Zelto2X* editor, IMidiMsg msg)
{
    const int incoming[3] = {msg.mStatus, msg.mData1, msg.mData2};
    bool differed = false;
    for (int i = 0; i < 3; ++i) {
        if (editor->lastIncomingMessage[i] != incoming[i]) {
            editor->lastIncomingMessage[i] = incoming[i];
            differed = true;
        }
    }
    if (differed) {
        std::printf("Plug-in MIDI In  ");
        msg.LogMsg();
    }
    return differed;
}

void consolelog::log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
}
