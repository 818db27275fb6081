#include "IPluginStructs.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Truncation toward zero; out-of-range input (NaN included) stays inside a
// data byte. Limits are applied before the cast, which is undefined beyond int.
uint8_t DataByteFromNormalized(double value)
{
    const double scaled = value * 127.0;
    if (!(scaled > 0.0)) return 0;
    if (scaled >= 127.0) return 127;
    return static_cast<uint8_t>(scaled);
}

uint8_t StatusWithChannel(int base, int channel)
{
    return static_cast<uint8_t>(base | (channel & 0x0F));
}

}  // namespace

// ---- IMidiMsg ----

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
    mOffset = offset;
    mStatus = StatusWithChannel(0x90, channel);
    mData1 = static_cast<uint8_t>(noteNumber);
    mData2 = static_cast<uint8_t>(velocity);
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel, int velocity)
{
    mOffset = offset;
    mStatus = StatusWithChannel(0x80, channel);
    mData1 = static_cast<uint8_t>(noteNumber);
    mData2 = static_cast<uint8_t>(velocity);
}

void IMidiMsg::MakeControlChangeMsg(int controller, double value, int channel)
{
    mOffset = 0;
    mStatus = StatusWithChannel(0xB0, channel);
    mData1 = static_cast<uint8_t>(controller);
    mData2 = DataByteFromNormalized(value);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg controller, double value, int channel)
{
    MakeControlChangeMsg(static_cast<int>(controller), value, channel);
}

void IMidiMsg::MakeProgramChangeMsg(double program, int channel)
{
    mOffset = 0;
    mStatus = StatusWithChannel(0xC0, channel);
    mData1 = DataByteFromNormalized(program);
    mData2 = 0;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
    const double scaled = value * 8192.0;
    int p = 8192;
    if (scaled <= -8192.0)
        p = 0;
    else if (scaled >= 8191.0)
        p = 16383;
    else if (scaled == scaled)  // NaN stays at the centre
        p = static_cast<int>(scaled) + 8192;
    mOffset = 0;
    mStatus = StatusWithChannel(0xE0, channel);
    mData1 = static_cast<uint8_t>(p & 0x7F);
    mData2 = static_cast<uint8_t>(p >> 7);
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
    if (mStatus < 0x80 || mStatus > 0xEF) return kNone;
    return static_cast<EStatusMsg>(mStatus >> 4);
}

int IMidiMsg::Channel() const
{
    return mStatus & 0x0F;
}

int IMidiMsg::NoteNumber() const
{
    switch (StatusMsg()) {
        case kNoteOff:
        case kNoteOn:
        case kPolyAftertouch:
            return mData1;
        default:
            return -1;
    }
}

int IMidiMsg::Velocity() const
{
    const EStatusMsg kind = StatusMsg();
    return (kind == kNoteOff || kind == kNoteOn) ? mData2 : -1;
}

int IMidiMsg::Program() const
{
    return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
    if (StatusMsg() != kPitchWheel) return 0.0;
    const int p = mData2 * 128 + mData1;
    return static_cast<double>(p - 8192) / 8192.0;
}

int IMidiMsg::ControlChangeIdx() const
{
    return mData1;
}

double IMidiMsg::ControlChange(EControlChangeMsg controller) const
{
    if (StatusMsg() == kControlChange && mData1 == static_cast<int>(controller)) return mData2 / 127.0;
    return -1.0;
}

void IMidiMsg::Clear()
{
    mOffset = 0;
    mStatus = mData1 = mData2 = 0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg status)
{
    switch (status) {
        case kNone: return "none";
        case kNoteOff: return "noteoff";
        case kNoteOn: return "noteon ";
        case kPolyAftertouch: return "aftertouch";
        case kControlChange: return "controlchange";
        case kProgramChange: return "programchange";
        case kChannelAftertouch: return "channelaftertouch";
        case kPitchWheel: return "pitchwheel";
        default: return "unknown";
    }
}

void IMidiMsg::LogMsg() const
{
    std::printf("(%s | %d | %d | %d)\n", StatusMsgStr(StatusMsg()), Channel() + 1, mData1, mData2);
}

// ---- ISysEx ----

void ISysEx::Clear()
{
    mOffset = mSize = 0;
    mData = nullptr;
}

void ISysEx::LogMsg() const
{
    constexpr int kMaxShown = 32;
    char hex[kMaxShown * 3 + 1] = "";
    const int shown = (mData && mSize > 0) ? (mSize < kMaxShown ? mSize : kMaxShown) : 0;
    int pos = 0;
    for (int i = 0; i < shown; ++i)
        pos += std::snprintf(hex + pos, sizeof(hex) - static_cast<size_t>(pos), i ? " %02X" : "%02X", mData[i]);
    std::printf("(%d : %s)", mSize, hex);
}

// ---- ByteChunk ----

int ByteChunk::PutBytes(const void* buf, int size)
{
    const int n = Size();
    if (size <= 0) return n;
    if (!buf || size > ROZ_HeapBuf::kMaxBytes - n) return -1;
    uint8_t* bytes = mBytes.ResizeOk(n + size, false);
    if (!bytes) return -1;
    std::memcpy(bytes + n, buf, static_cast<size_t>(size));
    return Size();
}

int ByteChunk::GetBytes(void* buf, int size, int startPos) const
{
    if (startPos < 0 || size < 0 || size > Size() - startPos) return -1;
    if (size > 0) std::memcpy(buf, mBytes.Get() + startPos, static_cast<size_t>(size));
    return startPos + size;
}

int ByteChunk::PutStr(const char* str)
{
    const size_t len = str ? std::strlen(str) : 0;
    if (len > static_cast<size_t>(ROZ_HeapBuf::kMaxBytes)) return -1;
    const int32_t slen = static_cast<int32_t>(len);
    const int before = Size();
    if (Put(&slen) < 0) return -1;
    if (PutBytes(str, slen) < 0) {
        Resize(before);
        return -1;
    }
    return Size();
}

int ByteChunk::GetStr(ROZ_String* str, int startPos) const
{
    int32_t len = 0;
    const int strStart = Get(&len, startPos);
    if (strStart < 0 || len < 0 || len > Size() - strStart) {
        str->Set("");
        return -1;
    }
    const char* chars = reinterpret_cast<const char*>(mBytes.Get()) + strStart;
    if (len == 0 || !str->Set(chars, len)) str->Set("");
    return strStart + len;
}

int ByteChunk::PutBool(bool b)
{
    const uint8_t byte = b ? 1 : 0;
    return Put(&byte);
}

int ByteChunk::GetBool(bool* b, int startPos) const
{
    uint8_t byte = 0;
    const int pos = Get(&byte, startPos);
    if (pos >= 0) *b = byte != 0;
    return pos;
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
    return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::Resize(int newSize)
{
    const int n = Size();
    if (newSize < 0) newSize = 0;
    uint8_t* bytes = mBytes.ResizeOk(newSize, false);
    if (bytes && newSize > n) std::memset(bytes + n, 0, static_cast<size_t>(newSize - n));
    return Size();
}

bool ByteChunk::IsEqual(const ByteChunk* other) const
{
    return other && other->Size() == Size() &&
           (Size() == 0 || std::memcmp(other->GetBytes(), GetBytes(), static_cast<size_t>(Size())) == 0);
}

namespace {
constexpr int32_t kIPluginMagic = 0x70666674;  // bytes "tffp"
constexpr int32_t kIPluginVersion = 0x10000;
}  // namespace

bool ByteChunk::InitChunkWithIPluginVer(ByteChunk* chunk)
{
    chunk->Clear();
    return chunk->Put(&kIPluginMagic) >= 0 && chunk->Put(&kIPluginVersion) >= 0;
}

int ByteChunk::GetIPluginVerFromChunk(const ByteChunk* chunk, int* position)
{
    int32_t magic = 0;
    int32_t version = 0;
    const int pos = chunk->Get(&magic, *position);
    if (pos < 0 || magic != kIPluginMagic) return 0;
    const int end = chunk->Get(&version, pos);
    if (end < 0) return 0;
    *position = end;
    return version;
}

// ---- IPreset ----

IPreset::IPreset()
{
    SetName("empty");
}

void IPreset::SetName(const char* name)
{
    std::snprintf(mName, sizeof(mName), "%s", name ? name : "");
}
