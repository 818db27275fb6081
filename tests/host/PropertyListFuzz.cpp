// Outside bytes as an ".aupreset" file: parse, write back, parse again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    CFPropertyListRef value = host::ReadPropertyList(data, size, &error);
    if (!value)
        return 0;
    const std::string xml = host::WritePropertyList(value);
    CFPropertyListRef again =
        host::ReadPropertyList(reinterpret_cast<const uint8_t*>(xml.data()), xml.size(), &error);
    if (!xml.empty() && (!again || !CFEqual(value, again)))
        __builtin_trap();
    if (again)
        CFRelease(again);
    CFRelease(value);
    return 0;
}
