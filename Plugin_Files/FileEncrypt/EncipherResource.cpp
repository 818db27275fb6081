// Build tool: enciphers a plain configuration text into the bundle resource the
// configuration reader deciphers (8-byte blocks with big-endian halves, the
// last block padded with zeros, so the plain text ends at its first zero).
//
// Usage: zelto2x_encipher <plain input> <enciphered output>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ConfigCipher.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <plain input> <enciphered output>\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (unsigned char byte : data) {
        if (byte == 0) {
            // The reader stops at the first zero byte; a text that holds one would be cut short.
            std::fprintf(stderr, "%s holds a zero byte\n", argv[1]);
            return 1;
        }
    }
    data = encipherConfigText(std::string(data.begin(), data.end()));
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
