// The small text parsers of the configuration: token lists, comma-separated
// numbers, bi-directional links and SysEx byte texts.

#include <cerrno>
#include <cstdlib>

#include "UIConfigManager.h"

namespace {

// The decimal integer at the start of text (leading blanks skipped); false when there is none.
bool leadingInt(const std::string& text, int base, long* out)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, base);
    if (end == begin || errno == ERANGE || value > INT32_MAX || value < INT32_MIN)
        return false;
    *out = value;
    return true;
}

}  // namespace

void UIConfigManager::Tokenize(const std::string& text, std::vector<std::string>& tokens, const std::string& delimiters)
{
    std::string::size_type start = text.find_first_not_of(delimiters);
    while (start != std::string::npos) {
        const std::string::size_type end = text.find_first_of(delimiters, start);
        tokens.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(delimiters, end);
    }
}

void UIConfigManager::getCSValues(const char* text, int* values, int count)
{
    // Slots the text does not give keep what the caller put there: callers
    // set their defaults first.
    std::vector<std::string> tokens;
    Tokenize(text ? text : "", tokens, ",");
    for (int i = 0; i < count && i < static_cast<int>(tokens.size()); ++i) {
        long value;
        if (leadingInt(tokens[i], 10, &value))
            values[i] = static_cast<int>(value);
    }
}

void UIConfigManager::getBiDirectLinkValues(const char* text, LinkInfo* link, int offset)
{
    *link = LinkInfo();
    std::vector<std::string> tokens;
    Tokenize(text ? text : "", tokens, ",");
    if (tokens.size() < 2)
        return;
    // The offset of a multilayer copy is added here once; outside a copy
    // (offset -1) the names give their own indexes, and an unknown name stays -1.
    const int add = offset >= 0 ? offset : 0;
    const int first = getParamByName(tokens[0]);
    const int second = getParamByName(tokens[1]);
    link->first = first >= 0 ? first + add : -1;
    link->second = second >= 0 ? second + add : -1;
    long number;
    if (tokens.size() == 3 && leadingInt(tokens[2], 10, &number))
        link->number = static_cast<int32_t>(number);
}

std::vector<int32_t> UIConfigManager::convertStringSysextoVector(const std::string& text)
{
    std::vector<std::string> tokens;
    Tokenize(text, tokens, " ");
    std::vector<int32_t> bytes;
    bytes.reserve(tokens.size());
    for (const std::string& token : tokens) {
        long value;
        bytes.push_back(leadingInt(token, 16, &value) ? static_cast<int32_t>(value) : 0);
    }
    return bytes;
}
