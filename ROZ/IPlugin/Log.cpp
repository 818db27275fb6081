#include "Log.h"

#include <cctype>
#include <cstdio>
#include <cstring>

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) { return ""; }
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }

const char* CurrentTime()
{
    static char buffer[64];
    const std::time_t now = std::time(nullptr);
    // The _r forms: the shared results of localtime and gmtime race with any
    // other thread that formats a time.
    std::tm local {};
    std::tm utc {};
    localtime_r(&now, &local);
    gmtime_r(&now, &utc);
    int minutes = (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
    // A different calendar day on either side of UTC counts one whole day.
    if (local.tm_year != utc.tm_year || local.tm_yday != utc.tm_yday) {
        const bool localAhead = local.tm_year > utc.tm_year ||
                                (local.tm_year == utc.tm_year && local.tm_yday > utc.tm_yday);
        minutes += localAhead ? 1440 : -1440;
    }
    const char sign = minutes < 0 ? '-' : '+';
    if (minutes < 0) minutes = -minutes;
    const size_t n = std::strftime(buffer, sizeof(buffer), "%Y%m%d %H:%M ", &local);
    std::snprintf(buffer + n, sizeof(buffer) - n, "%c%02d%02d", sign, minutes / 60, minutes % 60);
    return buffer;
}

void CompileTimestamp(const char* date, const char* time, ROZ_String* str)
{
    if (!str) return;
    str->AppendFormatted(256, " [%s %s]", date ? date : "", time ? time : "");
}

void AppendTimestamp(const char* date, const char* time, char* text)
{
    if (!text) return;
    const size_t used = std::strlen(text);
    if (used >= 1023) return;
    ROZ_String stamp;
    CompileTimestamp(date, time, &stamp);
    std::strncat(text, stamp.Get(), 1023 - used);
}

void ToLower(char* dst, const char* src)
{
    if (!dst || !src) return;
    while (*src) *dst++ = static_cast<char>(std::tolower(static_cast<unsigned char>(*src++)));
    *dst = 0;
}

bool IsWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool Timer::Every(double seconds)
{
    const std::clock_t now = std::clock();
    if (double(now - mStart) > seconds * 1000000.0) {
        mStart = now;
        return true;
    }
    return false;
}
