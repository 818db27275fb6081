#pragma once
// The editor's debug log writer. It holds no data: callers pass the LOG file
// path and call it only while the editor's debug switch is on.

#include <string>
#include <vector>

class DebuggerOutput {
public:
    // Appends "<local time>\t <text>\n" to the file at path and echoes the text
    // on standard output; writes nothing to a file that cannot be opened.
    // Any thread; the file is opened and closed for every line.
    void printDebugInfo(std::string path, std::string text);

    // Prints an outgoing SysEx message ("Plug-in MIDI Out (sysex | n bytes | F0 ..F7)")
    // on standard output. Any thread.
    void logSysExOutMessageByte(const unsigned char* bytes, int count);
};
