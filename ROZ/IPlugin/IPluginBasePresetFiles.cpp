// The plug-in base's preset makers, preset dumps, VST program (.fxp) and bank
// (.fxb) files, and two audio-channel helpers. Nothing in the editor calls
// them; a plug-in built on the framework may.
#include "IPluginBase.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "IGraphics.h"
#include "base64.h"

namespace {

// Four-character codes of the published VST program and bank formats.
constexpr uint32_t kChunkMagic = 0x43636E4B;    // "CcnK"
constexpr uint32_t kProgramParams = 0x4678436B;  // "FxCk"
constexpr uint32_t kProgramChunk = 0x46504368;   // "FPCh"
constexpr uint32_t kBankParams = 0x4678426B;     // "FxBk"
constexpr uint32_t kBankChunk = 0x46424368;      // "FBCh"
constexpr int kProgramNameLength = 28;
constexpr int kProgramHeader = 56;   // up to the parameters or the chunk size
constexpr int kBankHeader = 156;     // up to the programs or the chunk size
constexpr int kBankFuture = 124;     // reserved bytes after the current program (version 2)
constexpr long kMaxFileSize = 64L << 20;

// The formats store every number big-endian.
class BigEndianOut {
public:
    explicit BigEndianOut(ByteChunk* out) : mOut(out) {}
    void u32(uint32_t v)
    {
        const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
        bytes(b, 4);
    }
    void f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void bytes(const void* data, int size)
    {
        if (size > 0 && mOut->PutBytes(data, size) < 0) mFailed = true;
    }
    void zeros(int n)
    {
        const std::vector<uint8_t> z(static_cast<size_t>(n), 0);
        bytes(z.data(), n);
    }
    // The fields every program and bank starts with; byteSize counts from fxMagic on.
    void header(uint32_t fxMagic, int byteSize, int version, int uniqueID, int fxVersion, int count)
    {
        for (uint32_t v : {kChunkMagic, static_cast<uint32_t>(byteSize), fxMagic, static_cast<uint32_t>(version),
                 static_cast<uint32_t>(uniqueID), static_cast<uint32_t>(fxVersion), static_cast<uint32_t>(count)})
            u32(v);
    }
    // The name field: at most 27 characters and zeros to 28 bytes.
    void name(const char* text)
    {
        char field[kProgramNameLength] = {0};
        if (text) std::memcpy(field, text, strnlen(text, kProgramNameLength - 1));
        bytes(field, kProgramNameLength);
    }
    bool ok() const { return !mFailed; }

private:
    ByteChunk* mOut;
    bool mFailed = false;
};

class BigEndianIn {
public:
    explicit BigEndianIn(const ByteChunk& in) : mData(in.GetBytes()), mSize(in.Size()) {}
    bool has(long offset, long size) const { return offset >= 0 && size >= 0 && offset + size <= mSize; }
    uint32_t u32(long offset) const
    {
        const uint8_t* p = mData + offset;
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }
    int32_t i32(long offset) const { return static_cast<int32_t>(u32(offset)); }
    float f32(long offset) const
    {
        const uint32_t bits = u32(offset);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    std::string name(long offset) const
    {
        const char* p = reinterpret_cast<const char*>(mData + offset);
        return std::string(p, strnlen(p, kProgramNameLength));
    }
    const uint8_t* at(long offset) const { return mData + offset; }
    long size() const { return mSize; }

private:
    const uint8_t* mData;
    long mSize;
};

// One parameter-form program inside a file: where its values start and how many.
struct ProgramRecord {
    std::string name;
    long values;
    int count;
    long end;
};

// A parameter-form program ("CcnK", "FxCk") at offset of this plug-in, or false.
bool readProgramRecord(const BigEndianIn& in, long offset, int uniqueID, ProgramRecord* record)
{
    if (!in.has(offset, kProgramHeader) || in.u32(offset) != kChunkMagic || in.u32(offset + 8) != kProgramParams
        || in.i32(offset + 16) != uniqueID)
        return false;
    const int count = in.i32(offset + 24);
    if (count < 0 || !in.has(offset + kProgramHeader, 4L * count)) return false;
    *record = ProgramRecord{in.name(offset + 28), offset + kProgramHeader, count, offset + kProgramHeader + 4L * count};
    return true;
}

bool readFile(const char* path, ByteChunk* out)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= kMaxFileSize && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size()
             && out->PutBytes(bytes.data(), static_cast<int>(size)) >= 0;
    }
    std::fclose(file);
    return ok;
}

bool writeFile(const char* path, const ByteChunk& bytes)
{
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const size_t size = static_cast<size_t>(bytes.Size());
    const bool written = std::fwrite(bytes.GetBytes(), 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// A chunk as the files store it: the framework's version header, then what fill writes.
template <class Fill>
bool versionedChunk(ByteChunk* chunk, Fill fill)
{
    return ByteChunk::InitChunkWithIPluginVer(chunk) && fill(chunk);
}

// The chunk stored at offset (its size, then its bytes) into out; false when it runs past the end.
bool storedChunk(const BigEndianIn& in, long offset, ByteChunk* out)
{
    const int32_t size = in.has(offset, 4) ? in.i32(offset) : -1;
    return size >= 0 && in.has(offset + 4, size) && out->PutBytes(in.at(offset + 4), size) >= 0;
}

// Where the state starts in a stored chunk: after the version header, when there.
int stateStart(const ByteChunk& chunk)
{
    int pos = 0;
    ByteChunk::GetIPluginVerFromChunk(&chunk, &pos);
    return pos;
}

}  // namespace

// ---- Preset makers ----

namespace {

// Variadic values follow the parameter's kind: doubles for double parameters, ints for the others.
double nextValue(const IParam* param, va_list* args)
{
    return param->Type() == IParam::kTypeDouble ? va_arg(*args, double) : static_cast<double>(va_arg(*args, int));
}

}  // namespace

bool IPluginBase::MakePresetFromValues(const char* name, const std::vector<double>& values)
{
    IPreset* preset = FirstUninitializedPreset();
    if (!preset) return false;
    IMutexLock lock(this);
    std::vector<double> current(static_cast<size_t>(NParams()));
    for (int i = 0; i < NParams(); ++i) {
        current[size_t(i)] = GetParam(i)->Value();
        GetParam(i)->Set(values[size_t(i)]);
    }
    preset->SetName(name ? name : "Empty");
    preset->mInitialized = StoreCurrentState(preset);
    for (int i = 0; i < NParams(); ++i) GetParam(i)->Set(current[size_t(i)]);
    return preset->mInitialized;
}


bool IPluginBase::MakePreset(const char* name, ...)
{
    std::vector<double> values(static_cast<size_t>(NParams()));
    va_list args;
    va_start(args, name);
    for (int i = 0; i < NParams(); ++i) values[size_t(i)] = nextValue(GetParam(i), &args);
    va_end(args);
    return MakePresetFromValues(name, values);
}

bool IPluginBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
    std::vector<double> values(static_cast<size_t>(NParams()));
    for (int i = 0; i < NParams(); ++i) values[size_t(i)] = GetParam(i)->GetDefault();
    va_list args;
    va_start(args, nParamsNamed);
    bool valid = true;
    for (int n = 0; n < nParamsNamed; ++n) {
        const int idx = va_arg(args, int);
        // An index outside the list leaves the rest unreadable: its value's type is unknown.
        if (idx < 0 || idx >= NParams()) {
            valid = false;
            break;
        }
        values[size_t(idx)] = nextValue(GetParam(idx), &args);
    }
    va_end(args);
    return valid && MakePresetFromValues(name, values);
}

bool IPluginBase::MakePresetFromChunk(const char* name, ByteChunk* chunk)
{
    IPreset* preset = FirstUninitializedPreset();
    if (!preset || !chunk) return false;
    preset->mChunk.Clear();
    if (preset->mChunk.PutChunk(chunk) < 0) return false;
    preset->SetName(name ? name : "Empty");
    preset->mInitialized = true;
    return true;
}

bool IPluginBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
    std::vector<uint8_t> bytes;
    if (!blob || !roz::DecodeBase64(blob, &bytes) || static_cast<int>(bytes.size()) != sizeOfChunk) return false;
    ByteChunk chunk;
    if (chunk.PutBytes(bytes.data(), sizeOfChunk) < 0) return false;
    return MakePresetFromChunk(name, &chunk);
}

// ---- Preset dumps ----

bool IPluginBase::DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[])
{
    if (!fileName || !paramEnumNames) return false;
    FILE* file = std::fopen(fileName, "a");
    if (!file) return false;
    const int n = NAutomatableParams();
    std::fprintf(file, "  MakePresetFromNamedParams(\"%s\", %d", GetPresetName(mCurrentPresetIdx), n);
    for (int i = 0; i < n; ++i) {
        IParam* param = GetParam(i);
        if (param->Type() == IParam::kTypeDouble)
            std::fprintf(file, ",\n    %s, %.6f", paramEnumNames[i], param->Value());
        else
            std::fprintf(file, ",\n    %s, %d", paramEnumNames[i], param->Int());
    }
    std::fprintf(file, ");\n");
    return std::fclose(file) == 0;
}

bool IPluginBase::DumpPresetBlob(const char* fileName)
{
    if (!fileName) return false;
    ByteChunk state;
    if (!SerializeState(&state)) return false;
    const std::string blob = roz::EncodeBase64(state.GetBytes(), static_cast<size_t>(state.Size()));
    FILE* file = std::fopen(fileName, "a");
    if (!file) return false;
    std::fprintf(file, "  MakePresetFromBlob(\"%s\", \"%s\", %d);\n", GetPresetName(mCurrentPresetIdx), blob.c_str(),
                 state.Size());
    return std::fclose(file) == 0;
}

// ---- Program and bank files ----

bool IPluginBase::MakeFXP(ByteChunk* out)
{
    IMutexLock lock(this);
    ByteChunk state;
    const bool chunks = DoesStateChunks();
    if (chunks && !versionedChunk(&state, [this](ByteChunk* c) { return SerializeState(c); })) return false;
    out->Clear();
    BigEndianOut fxp(out);
    const int nParams = NAutomatableParams();
    const int body = chunks ? 4 + state.Size() : 4 * nParams;
    fxp.header(chunks ? kProgramChunk : kProgramParams, kProgramHeader - 8 + body, 1, mUniqueID, mVersion,
        chunks ? NParams() : nParams);
    fxp.name(GetPresetName(mCurrentPresetIdx));
    if (chunks) {
        fxp.u32(static_cast<uint32_t>(state.Size()));
        fxp.bytes(state.GetBytes(), state.Size());
    } else {
        for (int i = 0; i < nParams; ++i) fxp.f32(static_cast<float>(GetParam(i)->GetNormalized()));
    }
    return fxp.ok();
}

bool IPluginBase::ReadFXP(const ByteChunk& bytes)
{
    const BigEndianIn in(bytes);
    if (!in.has(0, kProgramHeader) || in.u32(0) != kChunkMagic || in.i32(16) != mUniqueID) return false;
    IMutexLock lock(this);
    const std::string name = in.name(28);
    if (in.u32(8) == kProgramChunk) {
        ByteChunk state;
        if (!DoesStateChunks() || !storedChunk(in, kProgramHeader, &state)) return false;
        if (UnserializeState(&state, stateStart(state)) < 0) return false;
    } else {
        ProgramRecord program;
        if (!readProgramRecord(in, 0, mUniqueID, &program)) return false;
        for (int i = 0; i < program.count && i < NAutomatableParams(); ++i)
            GetParam(i)->SetNormalized(in.f32(program.values + 4L * i));
        OnParamReset();
    }
    ModifyCurrentPreset(name.c_str());
    RedrawParamControls();
    InformHostOfProgramChange();
    return true;
}

bool IPluginBase::MakeFXB(ByteChunk* out)
{
    IMutexLock lock(this);
    ByteChunk presets;
    const bool chunks = DoesStateChunks();
    if (chunks && !versionedChunk(&presets, [this](ByteChunk* c) { return SerializePresets(c); })) return false;
    out->Clear();
    BigEndianOut fxb(out);
    const int nParams = NAutomatableParams();
    const int programSize = kProgramHeader + 4 * nParams;
    const int body = chunks ? 4 + presets.Size() : NPresets() * programSize;
    fxb.header(chunks ? kBankChunk : kBankParams, kBankHeader - 8 + body, 2, mUniqueID, mVersion, NPresets());
    fxb.u32(static_cast<uint32_t>(mCurrentPresetIdx));
    fxb.zeros(kBankFuture);
    if (chunks) {
        fxb.u32(static_cast<uint32_t>(presets.Size()));
        fxb.bytes(presets.GetBytes(), presets.Size());
        return fxb.ok();
    }
    for (int p = 0; p < NPresets(); ++p) {
        // A preset's state is its parameters' plain values, as SerializeParams wrote them.
        IPreset* preset = mPresets.Get(p);
        fxb.header(kProgramParams, programSize - 8, 1, mUniqueID, mVersion, nParams);
        fxb.name(preset->mName);
        for (int i = 0; i < nParams; ++i) {
            double value = GetParam(i)->GetDefault();
            if (preset->mInitialized) preset->mChunk.Get(&value, 8 * i);
            fxb.f32(static_cast<float>(GetParam(i)->GetNormalized(value)));
        }
    }
    return fxb.ok();
}

bool IPluginBase::ReadFXB(const ByteChunk& bytes)
{
    const BigEndianIn in(bytes);
    if (!in.has(0, kBankHeader) || in.u32(0) != kChunkMagic || in.i32(16) != mUniqueID) return false;
    IMutexLock lock(this);
    const int count = in.i32(24);
    const int current = in.i32(12) >= 2 ? in.i32(28) : mCurrentPresetIdx;
    if (in.u32(8) == kBankChunk) {
        ByteChunk presets;
        if (!DoesStateChunks() || !storedChunk(in, kBankHeader, &presets)) return false;
        const int before = mCurrentPresetIdx;
        if (current >= 0 && current < NPresets()) mCurrentPresetIdx = current;
        if (UnserializePresets(&presets, stateStart(presets)) < 0) {
            mCurrentPresetIdx = before;
            return false;
        }
    } else {
        // Every program is checked before any preset changes.
        if (in.u32(8) != kBankParams || count < 0) return false;
        std::vector<ProgramRecord> programs;
        long offset = kBankHeader;
        for (int p = 0; p < count && p < NPresets(); ++p) {
            ProgramRecord program;
            if (!readProgramRecord(in, offset, mUniqueID, &program)) return false;
            programs.push_back(program);
            offset = program.end;
        }
        for (size_t p = 0; p < programs.size(); ++p) {
            for (int i = 0; i < programs[p].count && i < NAutomatableParams(); ++i)
                GetParam(i)->SetNormalized(in.f32(programs[p].values + 4L * i));
            IPreset* preset = mPresets.Get(static_cast<int>(p));
            preset->SetName(programs[p].name.c_str());
            preset->mInitialized = StoreCurrentState(preset);
        }
        RestorePreset(current >= 0 && current < NPresets() ? current : mCurrentPresetIdx);
    }
    InformHostOfProgramChange();
    return true;
}

bool IPluginBase::SaveProgramAsFXP(const char* defaultFileName)
{
    return SaveAs(defaultFileName, "fxp", &IPluginBase::MakeFXP);
}

bool IPluginBase::SaveBankAsFXB(const char* defaultFileName)
{
    return SaveAs(defaultFileName, "fxb", &IPluginBase::MakeFXB);
}

bool IPluginBase::LoadProgramFromFXP() { return LoadFrom("fxp", &IPluginBase::ReadFXP); }

bool IPluginBase::LoadBankFromFXB() { return LoadFrom("fxb", &IPluginBase::ReadFXB); }

bool IPluginBase::SaveAs(const char* defaultFileName, const char* extension, bool (IPluginBase::*make)(ByteChunk*))
{
    if (!mGraphics) return false;
    ROZ_String fileName(defaultFileName ? defaultFileName : "");
    mGraphics->PromptForFile(&fileName, kFileSave, &mPreviousPath, extension);
    ByteChunk bytes;
    return !fileName.IsEmpty() && (this->*make)(&bytes) && writeFile(fileName.Get(), bytes);
}

bool IPluginBase::LoadFrom(const char* extension, bool (IPluginBase::*read)(const ByteChunk&))
{
    if (!mGraphics) return false;
    ROZ_String fileName;
    mGraphics->PromptForFile(&fileName, kFileOpen, &mPreviousPath, extension);
    ByteChunk bytes;
    return !fileName.IsEmpty() && readFile(fileName.Get(), &bytes) && (this->*read)(bytes);
}

// ---- Audio channels ----

void IPluginBase::LimitToStereoIO()
{
    if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
    if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, false);
}

void IPluginBase::ZeroScratchBuffers()
{
    for (int i = 0; i < NInChannels(); ++i) {
        ROZ_TypedBuf<double>& scratch = mInChannels.Get(i)->mScratchBuf;
        if (scratch.Get()) std::memset(scratch.Get(), 0, sizeof(double) * static_cast<size_t>(scratch.GetSize()));
    }
    for (int i = 0; i < NOutChannels(); ++i) {
        ROZ_TypedBuf<double>& scratch = mOutChannels.Get(i)->mScratchBuf;
        if (scratch.Get()) std::memset(scratch.Get(), 0, sizeof(double) * static_cast<size_t>(scratch.GetSize()));
    }
}
