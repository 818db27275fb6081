#pragma once
// The editor's debug log writer. It holds no data: callers pass the LOG file
// path and call it only while the editor's debug switch is on.

#include <string>
#include <vector>

class Zelto2X;
struct IMidiMsg;

class DebuggerOutput {
public:
    // True when a file exists at path; it is then emptied. A missing file
    // prints "Unable to open Plug-in LOG file" and is not created.
    // Constructor thread.
    bool openDebugFile(std::string path);

    // Appends "<local time>\t <text>\n" to the file at path and echoes the text
    // on standard output; a file that cannot be opened gets nothing and
    // nothing is echoed.
    // Any thread; the file is opened and closed for every line.
    void printDebugInfo(std::string path, std::string text);

    // Prints an outgoing SysEx message on standard output, every byte in
    // lower-case hex between the format's own F0 and F7:
    // "Plug-in MIDI Out (sysex | 3 bytes | F0 3e 16 00 F7)". Any thread.
    void logSysExOutMessageByte(const unsigned char* bytes, int count);
    void logSysExOutMessageByteInt(const std::vector<int>& values, int count);

    // Prints an incoming short message when its status or data bytes differ
    // from the last one printed (kept in the editor); true when printed.
    // MIDI input thread.
    bool compareMIDIdata(Zelto2X* editor, IMidiMsg msg);
};

// Developer diagnostics on standard output, printed as given; each source
// file picks it with `using consolelog::log;`. Any thread.
namespace consolelog {
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));
}
