#include "CocoaFormatter.h"

#include <cstdlib>

#include "IParam.h"

const char* CocoaFormatter_vZelto2X_64_au::CharactersForParamType(int type)
{
    switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
        return "0123456789-+";
    case IParam::kTypeDouble:
        return "0123456789.-+";
    case IParam::kTypeText:
        return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789!\"#$%&/'+-*()[],.";
    default:
        return "";
    }
}

void CocoaFormatter_vZelto2X_64_au::setAcceptableCharacterSet(const char* characters)
{
    hasCharacterSet = characters != nullptr;
    filterCharacterSet = characters ? characters : "";
}

bool CocoaFormatter_vZelto2X_64_au::isPartialStringValid(const std::string& partial) const
{
    int characters = 0;
    for (unsigned char c : partial) {
        // Every set holds plain ASCII only, so any byte of a multi-byte character is refused.
        if (hasCharacterSet && (c >= 0x80 || filterCharacterSet.find(static_cast<char>(c)) == std::string::npos))
            return false;
        if ((c & 0xC0) != 0x80)
            ++characters;
    }
    if (maxLength != 0 && characters > maxLength)
        return false;
    if (maxValue != 0)
        return std::atoi(partial.c_str()) <= maxValue;
    return true;
}
