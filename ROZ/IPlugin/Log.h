#pragma once
// The framework's trace hooks (silent in this system) and its small time-stamp
// and text helpers. The framework writes no log file.

#include <ctime>

#include "wdlstring.h"

// Does nothing; kept so framework code can mark its trace points.
void Trace(const char* file, int line, const char* format, ...);
#define TRACE_HERE(...) Trace(__FILE__, __LINE__, __VA_ARGS__)

// Names for trace points; each is the empty string.
const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);

// Local time as "%Y%m%d %H:%M " and the offset from UTC as +HHMM or -HHMM, in
// a static buffer. Not thread-safe: one caller at a time.
const char* CurrentTime();
// Appends " [date time]" to str.
void CompileTimestamp(const char* date, const char* time, ROZ_String* str);
// Appends the compile stamp to text (at most 1023 characters in all).
void AppendTimestamp(const char* date, const char* time, char* text);
// Copies src into dst in lower case, with its terminator.
void ToLower(char* dst, const char* src);
bool IsWhitespace(char c);

// Processor-clock interval timer.
class Timer {
public:
    Timer() : mStart(std::clock()) {}
    // True, restarting the timer, once more than seconds have passed.
    bool Every(double seconds);

private:
    std::clock_t mStart;
};
