#include "Tea.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;
constexpr int kCycles = 32;

uint32_t readBigEndian(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void writeBigEndian(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

}  // namespace

void Tea::encryptTea(uint32_t* v, const uint32_t* k)
{
    uint32_t v0 = v[0], v1 = v[1], sum = 0;
    for (int i = 0; i < kCycles; ++i) {
        sum += kDelta;
        v0 += ((v1 << 4) + k[0]) ^ (v1 + sum) ^ ((v1 >> 5) + k[1]);
        v1 += ((v0 << 4) + k[2]) ^ (v0 + sum) ^ ((v0 >> 5) + k[3]);
    }
    v[0] = v0;
    v[1] = v1;
}

void Tea::decryptTea(uint32_t* v, const uint32_t* k)
{
    uint32_t v0 = v[0], v1 = v[1], sum = kDelta * kCycles;  // 0xC6EF3720
    for (int i = 0; i < kCycles; ++i) {
        v1 -= ((v0 << 4) + k[2]) ^ (v0 + sum) ^ ((v0 >> 5) + k[3]);
        v0 -= ((v1 << 4) + k[0]) ^ (v1 + sum) ^ ((v1 >> 5) + k[1]);
        sum -= kDelta;
    }
    v[0] = v0;
    v[1] = v1;
}

void Tea::simpledecrypt(unsigned char* block, const uint32_t* key)
{
    uint32_t v[2] = {readBigEndian(block), readBigEndian(block + 4)};
    decryptTea(v, key);
    writeBigEndian(block, v[0]);
    writeBigEndian(block + 4, v[1]);
}

void Tea::simpleencrypt(unsigned char* block, const uint32_t* key)
{
    uint32_t v[2] = {readBigEndian(block), readBigEndian(block + 4)};
    encryptTea(v, key);
    writeBigEndian(block, v[0]);
    writeBigEndian(block + 4, v[1]);
}

void Tea::encryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key)
{
    const uint32_t plain = *length;
    const uint32_t padded = (plain + 7u) & ~7u;
    std::memset(data + plain, 0, padded + 8 - plain);
    std::memcpy(data + padded + 4, &plain, 4);
    for (uint32_t offset = 0; offset < padded + 8; offset += 8) {
        uint32_t words[2];
        std::memcpy(words, data + offset, 8);
        encryptTea(words, key);
        std::memcpy(data + offset, words, 8);
    }
    *length = padded + 8;
}

void Tea::decryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key)
{
    const uint32_t blocks = *length / 8;
    for (uint32_t b = 0; b < blocks; ++b) {
        uint32_t words[2];
        std::memcpy(words, data + b * 8, 8);
        decryptTea(words, key);
        std::memcpy(data + b * 8, words, 8);
    }
    if (blocks == 0) {
        *length = 0;
        return;
    }
    uint32_t stored;
    std::memcpy(&stored, data + (blocks - 1) * 8 + 4, 4);
    *length = stored <= blocks * 8 ? stored : blocks * 8;
}

void Tea::printBuffer(const unsigned char* data, int count)
{
    std::fwrite(data, 1, count > 0 ? size_t(count) : 0, stdout);
    std::fputc('\n', stdout);
}

void Tea::keyWords(const unsigned char* keyBytes, uint32_t* words)
{
    for (int i = 0; i < 4; ++i)
        words[i] = uint32_t(keyBytes[4 * i]) | (uint32_t(keyBytes[4 * i + 1]) << 8) |
                   (uint32_t(keyBytes[4 * i + 2]) << 16) | (uint32_t(keyBytes[4 * i + 3]) << 24);
}
