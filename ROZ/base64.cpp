#include "base64.h"

namespace roz {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextetOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string EncodeBase64(const uint8_t* bytes, size_t size)
{
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t b0 = bytes[i];
        const uint32_t b1 = i + 1 < size ? bytes[i + 1] : 0;
        const uint32_t b2 = i + 2 < size ? bytes[i + 2] : 0;
        const uint32_t triple = (b0 << 16) | (b1 << 8) | b2;
        text += kAlphabet[(triple >> 18) & 63];
        text += kAlphabet[(triple >> 12) & 63];
        text += i + 1 < size ? kAlphabet[(triple >> 6) & 63] : '=';
        text += i + 2 < size ? kAlphabet[triple & 63] : '=';
    }
    return text;
}

bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes)
{
    bytes->clear();
    uint32_t buffer = 0;
    int nBits = 0;
    int nPadding = 0;
    size_t nSextets = 0;
    for (char c : text) {
        if (isSpace(c))
            continue;
        if (c == '=') {
            ++nPadding;
            ++nSextets;
            continue;
        }
        const int sextet = sextetOf(c);
        if (sextet < 0 || nPadding > 0)
            return false;
        buffer = (buffer << 6) | static_cast<uint32_t>(sextet);
        nBits += 6;
        ++nSextets;
        if (nBits >= 8) {
            nBits -= 8;
            bytes->push_back(static_cast<uint8_t>((buffer >> nBits) & 0xff));
        }
    }
    return nSextets % 4 == 0 && nPadding <= 2;
}

}  // namespace roz
