#include "ConfigCipher.h"

#include <cstring>

#include "ConfigKey.h"
#include "Tea.h"

namespace {

void configKey(uint32_t* key)
{
    Tea::keyWords(kConfigKeyBytes, key);
}

}  // namespace

std::vector<unsigned char> encipherConfigText(const std::string& plain)
{
    std::vector<unsigned char> data(plain.begin(), plain.end());
    data.resize((data.size() + 7) / 8 * 8, 0);
    uint32_t key[4];
    configKey(key);
    for (size_t offset = 0; offset < data.size(); offset += 8)
        Tea::simpleencrypt(data.data() + offset, key);
    return data;
}

std::string decipherConfigText(const unsigned char* data, int size)
{
    if (!data || size <= 0)
        return std::string();
    uint32_t key[4];
    configKey(key);
    std::string plain;
    plain.reserve(static_cast<size_t>(size) + 8);
    for (int offset = 0; offset < size; offset += 8) {
        unsigned char block[8] = {};
        std::memcpy(block, data + offset, static_cast<size_t>(size - offset < 8 ? size - offset : 8));
        Tea::simpledecrypt(block, key);
        plain.append(reinterpret_cast<const char*>(block), 8);
    }
    const size_t end = plain.find('\0');
    if (end != std::string::npos)
        plain.resize(end);
    return plain;
}
