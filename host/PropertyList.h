#pragma once
// Property lists in their XML form, the form of ".aupreset" files: the one
// adapter between Core Foundation objects and tinyxml2.

#include <cstdint>
#include <string>

#include "platform/CoreFoundation.h"

namespace host {

// The XML text of a property list of dictionaries, arrays, strings, numbers
// and data; empty when the value holds anything else. Any thread.
std::string WritePropertyList(CFPropertyListRef value);

// Parses XML text from outside; null (and *error set) on any fault, never a
// partial value. The caller releases the result. Any thread.
CFPropertyListRef ReadPropertyList(const uint8_t* bytes, size_t size, std::string* error);

}  // namespace host
