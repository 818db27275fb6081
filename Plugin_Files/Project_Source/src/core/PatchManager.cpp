#include "PatchManager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Zelto2X.h"

namespace {

constexpr int32_t kBlockHeader = 0x01000000;

// Bytes of the text field at pos up to its first NUL; position after the
// field, or -1 when it does not fit.
int readText(const ByteChunk* chunk, int pos, std::string* text)
{
    int32_t length = 0;
    pos = chunk->Get(&length, pos);
    if (pos < 0 || length < 0 || length > chunk->Size() - pos)
        return -1;
    const char* bytes = reinterpret_cast<const char*>(chunk->GetBytes()) + pos;
    if (text)
        text->assign(bytes, strnlen(bytes, static_cast<size_t>(length)));
    return pos + length;
}

// The big-endian patch-data length at pos; position after it, or -1.
int readDataLength(const ByteChunk* chunk, int pos, int* length)
{
    uint8_t bytes[4];
    pos = chunk->GetBytes(bytes, 4, pos);
    if (pos < 0)
        return -1;
    const int32_t value = static_cast<int32_t>((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) |
                                               (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]));
    if (value < 0 || value > chunk->Size() - pos)
        return -1;
    *length = value;
    return pos;
}

}  // namespace

void PatchManager::init()
{
    ByteChunk shortForm;
    plug->SerializeState2(&shortForm, false);
    data.Clear();
    data.PutChunk(&shortForm);
}

void PatchManager::putStringToChunk(ByteChunk* chunk, const std::string& s, int maxLen)
{
    const size_t cut = strnlen(s.c_str(), std::min(s.size(), static_cast<size_t>(maxLen)));
    const int32_t length = static_cast<int32_t>(cut);
    chunk->Put(&length);
    chunk->PutBytes(s.data(), length);
}

void PatchManager::saveAllToChunk(ByteChunk* chunk)
{
    ByteChunk block;
    block.Put(&kBlockHeader);
    block.Put(&kBlockHeader);
    const uint32_t length = static_cast<uint32_t>(data.Size());
    const uint8_t bigEndian[4] = {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)};
    block.PutBytes(bigEndian, 4);
    block.PutChunk(&data);
    for (int i = 0; i < kTextCount; ++i)
        putStringToChunk(&block, texts[i], kTextLimits[i]);
    chunk->PutChunk(&block);
}

int PatchManager::checkChunk(const ByteChunk* chunk, int pos)
{
    if (pos < 0 || pos > chunk->Size() - 8)
        return -1;
    int length = 0;
    pos = readDataLength(chunk, pos + 8, &length);
    if (pos < 0)
        return -1;
    pos += length;
    for (int i = 0; i < kTextCount && pos >= 0; ++i)
        pos = readText(chunk, pos, nullptr);
    return pos;
}

int PatchManager::loadAllFromChunk(ByteChunk* chunk, int pos)
{
    data.Clear();
    int length = 0;
    if (pos >= 0 && pos <= chunk->Size() - 8)
        pos = readDataLength(chunk, pos + 8, &length);
    else
        pos = -1;
    if (pos >= 0) {
        data.PutBytes(chunk->GetBytes() + pos, length);
        pos += length;
    }
    for (int i = 0; i < kTextCount; ++i) {
        texts[i].clear();
        if (pos >= 0)
            pos = readText(chunk, pos, &texts[i]);
        if (i < 3)
            texts[i].resize(kPaddedNameLength, '\0');
    }
    if (pos < 0) {
        data.Clear();
        for (int i = 0; i < kTextCount; ++i)
            texts[i] = i < 3 ? std::string(kPaddedNameLength, '\0') : std::string();
    }
    return pos;
}
