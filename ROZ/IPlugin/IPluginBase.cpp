#include "IPluginBase.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IGraphics.h"

namespace {

void CopyName(char* dest, const char* name)
{
    std::snprintf(dest, IPluginBase::kNameLength, "%s", name ? name : "");
}

template <class Sample>
void CopyOrZero(Sample** inputs, int nIn, Sample** outputs, int nOut, int nFrames)
{
    if (!outputs || nFrames <= 0) return;
    for (int i = 0; i < nOut; ++i) {
        Sample* out = outputs[i];
        if (!out) continue;
        const Sample* in = (inputs && i < nIn) ? inputs[i] : nullptr;
        if (in) {
            if (in != out) std::memmove(out, in, sizeof(Sample) * static_cast<size_t>(nFrames));
        } else {
            std::memset(out, 0, sizeof(Sample) * static_cast<size_t>(nFrames));
        }
    }
}

// Makes a channel's scratch buffer hold at least nFrames samples.
bool EnsureScratch(ROZ_TypedBuf<double>& scratch, int nFrames)
{
    if (scratch.GetSize() >= nFrames) return true;
    const int old = scratch.GetSize();
    double* buf = scratch.ResizeOk(nFrames, false);
    if (!buf) return false;
    std::memset(buf + old, 0, sizeof(double) * static_cast<size_t>(nFrames - old));
    return true;
}

}  // namespace

IPluginBase::IPluginBase(int /*nParams*/, const char* /*channelIOStr*/, int /*nPresets*/,
                         const char* /*effectName*/, const char* /*productName*/, const char* /*mfrName*/,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool /*plugDoesMidi*/,
                         bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mLatency(latency)
{
    mEffectName[0] = mProductName[0] = mMfrName[0] = '\0';
}

IPluginBase::~IPluginBase()
{
    // Hardware input first: its thread must not reach a surface or a
    // parameter that is being deleted.
    DestroyMidiPorts();
    delete mGraphics;
    mGraphics = nullptr;
    mParams.Empty(true);
    mPresets.Empty(true);
    mInChannels.Empty(true);
    mOutChannels.Empty(true);
    mChannelIO.Empty(true);
    mInputBusLabels.Empty(true);
    mOutputBusLabels.Empty(true);
}

// ---- Construction ----

void IPluginBase::initialize(int nAutomatableParams, int nTotalParams, const char* channelIOStr, int nPresets,
                             const char* effectName, const char* productName, const char* mfrName,
                             int /*vendorVersion*/, int /*uniqueID*/, int /*mfrID*/, int /*latency*/,
                             bool /*plugDoesMidi*/, bool /*plugDoesChunks*/, bool /*plugIsInst*/)
{
    mNonAutomateParamCount = nTotalParams - nAutomatableParams;
    mPreviousPath.Set("");
    for (int i = 0; i < nTotalParams; ++i) mParams.Add(new IParam());
    for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset());
    CopyName(mEffectName, effectName);
    CopyName(mProductName, productName);
    CopyName(mMfrName, mfrName);
    int maxIn = 0;
    int maxOut = 0;
    ParseChannelIO(channelIOStr, &maxIn, &maxOut);
    CreateChannels(maxIn, maxOut);
}

void IPluginBase::ParseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut)
{
    const char* p = channelIOStr ? channelIOStr : "";
    while (*p) {
        while (*p == ' ') ++p;
        int nIn = 0;
        int nOut = 0;
        if (std::sscanf(p, "%d-%d", &nIn, &nOut) == 2) {
            ChannelIO* io = new ChannelIO{nIn, nOut};
            if (!mChannelIO.Add(io)) delete io;
            if (nIn > *maxIn) *maxIn = nIn;
            if (nOut > *maxOut) *maxOut = nOut;
        }
        while (*p && *p != ' ') ++p;
    }
}

void IPluginBase::CreateChannels(int nIn, int nOut)
{
    double** inData = mInData.ResizeOk(nIn);
    double** outData = mOutData.ResizeOk(nOut);
    if (nIn > 0 && !inData) nIn = 0;
    if (nOut > 0 && !outData) nOut = 0;
    for (int i = 0; i < nIn; ++i) {
        InChannel* ch = new InChannel();
        ch->mSrc = inData + i;
        *ch->mSrc = nullptr;
        mInChannels.Add(ch);
    }
    for (int i = 0; i < nOut; ++i) {
        OutChannel* ch = new OutChannel();
        ch->mDest = outData + i;
        *ch->mDest = nullptr;
        mOutChannels.Add(ch);
    }
}

// ---- Default virtual operations ----

void IPluginBase::Reset()
{
    IMutexLock lock(this);
}

void IPluginBase::OnParamChange(int /*paramIdx*/)
{
    IMutexLock lock(this);
}

void IPluginBase::OnParamChange2(int /*paramIdx*/)
{
    IMutexLock lock(this);
}

void IPluginBase::OnActivate(bool /*active*/)
{
    IMutexLock lock(this);
}

void IPluginBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
    CopyOrZero(inputs, NInChannels(), outputs, NOutChannels(), nFrames);
}

void IPluginBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
    CopyOrZero(inputs, NInChannels(), outputs, NOutChannels(), nFrames);
}

void IPluginBase::ProcessMidiMsg(IMidiMsg* /*msg*/, bool /*fromHardware*/) {}

void IPluginBase::ProcessSysEx(ISysEx* /*msg*/, bool /*fromHardware*/) {}

bool IPluginBase::MidiNoteName(int /*noteNumber*/, char* noteName)
{
    if (noteName) noteName[0] = '\0';
    return false;
}

bool IPluginBase::CompareState(const unsigned char* incomingState, int startPos)
{
    for (int i = 0; i < NAutomatableParams(); ++i) {
        double stored = 0.0;
        std::memcpy(&stored, incomingState + sizeof(double) * static_cast<size_t>(startPos + i), sizeof(double));
        const float current = static_cast<float>(GetParam(i)->Value());
        if (std::fabs(current - static_cast<float>(stored)) >= 0.00001f) return false;
    }
    return true;
}

bool IPluginBase::SendMidiSysex(unsigned char* /*data*/, int /*size*/)
{
    return false;
}

bool IPluginBase::SendPatchSysex(unsigned char* /*data*/, int /*size*/)
{
    return false;
}

bool IPluginBase::SendMidiSysex2(std::vector<unsigned char> /*bytes*/)
{
    return false;
}

// ---- Parameter value paths ----

void IPluginBase::SetParameterFromGUI(int idx, double normalizedValue)
{
    SetParameterFromGUICommon(idx, normalizedValue, false);
}

void IPluginBase::SetParameterFromGUI2(int idx, double normalizedValue)
{
    SetParameterFromGUICommon(idx, normalizedValue, true);
}

bool IPluginBase::SetParameterFromGUICommon(int idx, double normalizedValue, bool fromHardware)
{
    IMutexLock lock(this);
    IParam* param = GetParam(idx);
    if (!param) return false;
    const double before = param->Value();
    param->SetNormalized(normalizedValue);
    InformHostOfParamChange(idx, normalizedValue);
    // The parameter's other controls (a switch and a window's close key) follow
    // the one that made the change. That one holds exactly this value and is
    // left alone: snapping it to the parameter's step would stop a fine drag.
    if (mGraphics) mGraphics->SetParameterFromPlug(idx, normalizedValue, true);
    if (param->Value() == before && param->Type() != IParam::kTypeText) return false;
    if (fromHardware)
        OnParamChange2(idx);
    else
        OnParamChange(idx);
    return true;
}

void IPluginBase::OnParamReset()
{
    for (int i = 0; i < NAutomatableParams(); ++i) OnParamChange(i);
    Reset();
}

void IPluginBase::DirtyParameters()
{
    IMutexLock lock(this);
    for (int i = 0; i < NAutomatableParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IPluginBase::RedrawParamControls()
{
    if (!mGraphics) return;
    for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IPluginBase::AttachGraphics(IGraphics* graphics)
{
    if (!graphics) return;
    IMutexLock lock(this);
    for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
    graphics->PrepDraw();
    mGraphics = graphics;
}

// ---- Parameter state ----

bool IPluginBase::SerializeParamRange(ByteChunk* chunk, int first, int count)
{
    IMutexLock lock(this);
    if (first < 0) return false;
    if (count > NParams() - first) count = NParams() - first;
    for (int i = first; i < first + count; ++i) {
        const double value = GetParam(i)->Value();
        if (chunk->Put(&value) < 0) return false;
    }
    return true;
}

int IPluginBase::UnserializeParamRange(ByteChunk* chunk, int startPos, int first, int count)
{
    IMutexLock lock(this);
    if (startPos < 0 || first < 0) return startPos;
    if (count > NParams() - first) count = NParams() - first;
    int pos = startPos;
    for (int i = first; i < first + count; ++i) {
        double value = 0.0;
        pos = chunk->Get(&value, pos);
        if (pos < 0) value = 0.0;
        GetParam(i)->SetClamped(value);
        if (pos < 0) return -1;
    }
    return pos;
}

bool IPluginBase::SerializeParams(ByteChunk* chunk)
{
    return SerializeParamRange(chunk, 0, NAutomatableParams());
}

int IPluginBase::UnserializeParams(ByteChunk* chunk, int startPos)
{
    return UnserializeParamRange(chunk, startPos, 0, NAutomatableParams());
}

bool IPluginBase::SerializeNonAutomatedParams(ByteChunk* chunk, int n)
{
    return SerializeParamRange(chunk, NAutomatableParams(), n);
}

int IPluginBase::UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n)
{
    return UnserializeParamRange(chunk, startPos, NAutomatableParams(), n);
}

// ---- Presets ----

IPreset* IPluginBase::FirstUninitializedPreset() const
{
    for (int i = 0; i < mPresets.GetSize(); ++i) {
        IPreset* preset = mPresets.Get(i);
        if (!preset->mInitialized) return preset;
    }
    return nullptr;
}

bool IPluginBase::StoreCurrentState(IPreset* preset)
{
    preset->mChunk.Clear();
    return SerializeState(&preset->mChunk);
}

bool IPluginBase::MakeDefaultPreset(const char* name, int nPresets)
{
    for (int i = 0; i < nPresets; ++i) {
        IPreset* preset = FirstUninitializedPreset();
        if (!preset) return false;
        preset->mInitialized = true;
        preset->SetName(name ? name : "Empty");
        StoreCurrentState(preset);
    }
    return true;
}

bool IPluginBase::RestorePreset(int idx)
{
    IPreset* preset = mPresets.Get(idx);
    if (!preset) return false;
    if (preset->mInitialized) {
        if (UnserializeState(&preset->mChunk, 0) < 1) return false;
    } else {
        int nUserPresets = 0;
        for (int i = 0; i < mPresets.GetSize(); ++i)
            if (std::strstr(mPresets.Get(i)->mName, "user preset")) ++nUserPresets;
        char name[IPreset::kNameLength];
        std::snprintf(name, sizeof(name), "user preset %d", nUserPresets + 1);
        preset->SetName(name);
        if (!StoreCurrentState(preset)) return false;
        preset->mInitialized = true;
    }
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
    return true;
}

bool IPluginBase::RestorePreset(const char* name)
{
    if (!name || !name[0]) return false;
    for (int i = 0; i < mPresets.GetSize(); ++i)
        if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
    return false;
}

const char* IPluginBase::GetPresetName(int idx) const
{
    IPreset* preset = mPresets.Get(idx);
    return preset ? preset->mName : "";
}

void IPluginBase::PruneUninitializedPresets()
{
    for (int i = mPresets.GetSize() - 1; i >= 0; --i)
        if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

void IPluginBase::ModifyCurrentPreset(const char* name)
{
    IPreset* preset = mPresets.Get(mCurrentPresetIdx);
    if (!preset) return;
    StoreCurrentState(preset);
    if (name && name[0]) preset->SetName(name);
}

void IPluginBase::EnsureDefaultPreset()
{
    IPreset* preset = FirstUninitializedPreset();
    if (!preset) return;
    preset->SetName("Empty");
    preset->mInitialized = StoreCurrentState(preset);
}

bool IPluginBase::SerializePresets(ByteChunk* chunk)
{
    for (int i = 0; i < mPresets.GetSize(); ++i) {
        IPreset* preset = mPresets.Get(i);
        if (chunk->PutStr(preset->mName) < 0 || chunk->PutBool(preset->mInitialized) < 0) return false;
        if (preset->mInitialized && chunk->PutChunk(&preset->mChunk) < 0) return false;
    }
    return true;
}

int IPluginBase::UnserializePresets(ByteChunk* chunk, int startPos)
{
    int pos = startPos;
    ROZ_String name;
    for (int i = 0; i < mPresets.GetSize() && pos >= 0; ++i) {
        IPreset* preset = mPresets.Get(i);
        pos = chunk->GetStr(&name, pos);
        if (pos < 0) break;
        bool initialized = false;
        pos = chunk->GetBool(&initialized, pos);
        if (pos < 0) break;
        preset->SetName(name.Get());
        preset->mInitialized = initialized;
        if (initialized) {
            pos = UnserializeState(chunk, pos);
            if (pos >= 0) StoreCurrentState(preset);
        }
    }
    RestorePreset(mCurrentPresetIdx);
    return pos;
}

// ---- MIDI ----

bool IPluginBase::SendMidiMsgs(ROZ_TypedBuf<IMidiMsg>* msgs)
{
    bool allSent = true;
    IMidiMsg* list = msgs->Get();
    for (int i = 0; i < msgs->GetSize(); ++i) allSent = SendMidiMsg(list + i) && allSent;
    return allSent;
}

// ---- Host, API and versions ----

void IPluginBase::SetHost(const char* host, int version)
{
    mHost = LookUpHost(host);
    mHostVersion = version;
}

int IPluginBase::GetHostVersion(bool decimal)
{
    GetHost();
    return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPluginBase::GetHostVersionStr(char* str)
{
    GetHost();
    GetVersionStr(mHostVersion, str);
}

int IPluginBase::GetEffectVersion(bool decimal) const
{
    return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPluginBase::GetEffectVersionStr(char* str) const
{
    GetVersionStr(mVersion, str);
}

const char* IPluginBase::GetAPIString() const
{
    static const char* const kNames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
    const int api = static_cast<int>(mAPI);
    return (api >= 0 && api <= 5) ? kNames[api] : "";
}

void IPluginBase::GetVersionParts(int version, int* major, int* minor, int* revision)
{
    *major = (version & 0xFFFF0000) >> 16;
    *minor = (version & 0x0000FF00) >> 8;
    *revision = version & 0x000000FF;
}

int IPluginBase::GetDecimalVersion(int version)
{
    int major, minor, revision;
    GetVersionParts(version, &major, &minor, &revision);
    return 10000 * major + 100 * minor + revision;
}

void IPluginBase::GetVersionStr(int version, char* str)
{
    int major, minor, revision;
    GetVersionParts(version, &major, &minor, &revision);
    if (revision)
        std::snprintf(str, kVersionStrLength, "v%d.%d.%d", major, minor, revision);
    else if (minor)
        std::snprintf(str, kVersionStrLength, "v%d.%d", major, minor);
    else
        std::snprintf(str, kVersionStrLength, "v%d", major);
}

// ---- Audio buffers ----

double IPluginBase::GetSamplesPerBeat()
{
    const double tempo = GetTempo();
    return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

void IPluginBase::GetChannelIO(int idx, int* nIn, int* nOut) const
{
    const ChannelIO* io = mChannelIO.Get(idx);
    *nIn = io ? io->mIn : 0;
    *nOut = io ? io->mOut : 0;
}

bool IPluginBase::LegalIO(int nIn, int nOut) const
{
    for (int i = 0; i < mChannelIO.GetSize(); ++i) {
        const ChannelIO* io = mChannelIO.Get(i);
        if ((nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut)) return true;
    }
    return false;
}

void IPluginBase::SetChannelConnections(bool input, int idx, int n, bool connected)
{
    const int count = input ? NInChannels() : NOutChannels();
    if (idx < 0) {
        n += idx;
        idx = 0;
    }
    const int end = (n > count - idx) ? count : idx + n;
    for (int i = idx; i < end; ++i) {
        if (input) {
            InChannel* ch = mInChannels.Get(i);
            ch->mConnected = connected;
            if (!connected) *ch->mSrc = ch->mScratchBuf.Get();
        } else {
            OutChannel* ch = mOutChannels.Get(i);
            ch->mConnected = connected;
            if (!connected) *ch->mDest = ch->mScratchBuf.Get();
        }
    }
}

void IPluginBase::SetInputChannelConnections(int idx, int n, bool connected)
{
    SetChannelConnections(true, idx, n, connected);
}

void IPluginBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
    SetChannelConnections(false, idx, n, connected);
}

bool IPluginBase::IsInChannelConnected(int chIdx) const
{
    const InChannel* ch = mInChannels.Get(chIdx);
    return ch && ch->mConnected;
}

bool IPluginBase::IsOutChannelConnected(int chIdx) const
{
    const OutChannel* ch = mOutChannels.Get(chIdx);
    return ch && ch->mConnected;
}

void IPluginBase::AttachInputBuffers(int idx, int n, double** ppData, int /*nFrames*/)
{
    for (int i = idx; i < idx + n && i < NInChannels(); ++i) {
        InChannel* ch = mInChannels.Get(i);
        if (ch && ch->mConnected) *ch->mSrc = *ppData++;
    }
}

void IPluginBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
    for (int i = idx; i < idx + n && i < NInChannels(); ++i) {
        InChannel* ch = mInChannels.Get(i);
        if (!ch || !ch->mConnected) continue;
        if (nFrames < 1) {
            *ch->mSrc = ch->mScratchBuf.Get();
            continue;
        }
        const float* src = *ppData++;
        if (!EnsureScratch(ch->mScratchBuf, nFrames)) {
            *ch->mSrc = nullptr;
            continue;
        }
        double* scratch = ch->mScratchBuf.Get();
        for (int s = 0; s < nFrames; ++s) scratch[s] = src ? src[s] : 0.0;
        *ch->mSrc = scratch;
    }
}

void IPluginBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
    for (int i = idx; i < idx + n && i < NOutChannels(); ++i) {
        OutChannel* ch = mOutChannels.Get(i);
        if (ch && ch->mConnected) *ch->mDest = *ppData++;
    }
}

void IPluginBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
    for (int i = idx; i < idx + n && i < NOutChannels(); ++i) {
        OutChannel* ch = mOutChannels.Get(i);
        if (!ch || !ch->mConnected) continue;
        *ch->mDest = ch->mScratchBuf.Get();
        ch->mFDest = *ppData++;
    }
}

void IPluginBase::ProcessBuffers(double /*sampleType*/, int nFrames)
{
    ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IPluginBase::ProcessBuffers(float /*sampleType*/, int nFrames)
{
    ResizeScratchBuffers(nFrames);
    ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
    WriteFloatOutputs(nFrames, false);
}

void IPluginBase::ProcessBuffersAccumulating(float /*sampleType*/, int nFrames)
{
    ResizeScratchBuffers(nFrames);
    ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
    WriteFloatOutputs(nFrames, true);
}

void IPluginBase::PassThroughBuffers(double /*sampleType*/, int nFrames)
{
    CopyOrZero(mInData.Get(), NInChannels(), mOutData.Get(), NOutChannels(), nFrames);
}

void IPluginBase::PassThroughBuffers(float /*sampleType*/, int nFrames)
{
    ResizeScratchBuffers(nFrames);
    CopyOrZero(mInData.Get(), NInChannels(), mOutData.Get(), NOutChannels(), nFrames);
    WriteFloatOutputs(nFrames, false);
}

// Converts each connected output's double buffer into its float destination.
void IPluginBase::WriteFloatOutputs(int nFrames, bool accumulate)
{
    for (int i = 0; i < NOutChannels(); ++i) {
        OutChannel* ch = mOutChannels.Get(i);
        if (!ch->mConnected || !ch->mFDest || !*ch->mDest) continue;
        const double* src = *ch->mDest;
        for (int s = 0; s < nFrames; ++s) {
            const float sample = static_cast<float>(src[s]);
            ch->mFDest[s] = accumulate ? ch->mFDest[s] + sample : sample;
        }
    }
}

// Output scratch buffers back the float destinations; a block larger than the
// announced size must not run past them.
void IPluginBase::ResizeScratchBuffers(int nFrames)
{
    for (int i = 0; i < NOutChannels(); ++i) {
        OutChannel* ch = mOutChannels.Get(i);
        const bool usesScratch = *ch->mDest == ch->mScratchBuf.Get();
        if (!usesScratch || ch->mScratchBuf.GetSize() >= nFrames) continue;
        *ch->mDest = EnsureScratch(ch->mScratchBuf, nFrames) ? ch->mScratchBuf.Get() : nullptr;
    }
}

namespace {

// Resizes and zeroes a channel's scratch buffer; a slot that pointed at the
// old scratch (or belongs to a disconnected channel) follows it.
template <class Channel>
void ResizeChannelScratch(Channel* ch, double** slot, int nFrames)
{
    const bool usedScratch = *slot == ch->mScratchBuf.Get();
    double* buf = ch->mScratchBuf.Resize(nFrames);
    if (buf && ch->mScratchBuf.GetSize() == nFrames)
        std::memset(buf, 0, sizeof(double) * static_cast<size_t>(nFrames));
    if (usedScratch || !ch->mConnected) *slot = ch->mScratchBuf.Get();
}

}  // namespace

void IPluginBase::SetBlockSize(int blockSize)
{
    if (blockSize == mBlockSize) return;
    const int n = blockSize > 0 ? blockSize : 0;
    for (int i = 0; i < NInChannels(); ++i) ResizeChannelScratch(mInChannels.Get(i), mInChannels.Get(i)->mSrc, n);
    for (int i = 0; i < NOutChannels(); ++i)
        ResizeChannelScratch(mOutChannels.Get(i), mOutChannels.Get(i)->mDest, n);
    mBlockSize = blockSize;
}

// ---- Labels ----

void IPluginBase::SetInputLabel(int idx, const char* label)
{
    if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label);
}

void IPluginBase::SetOutputLabel(int idx, const char* label)
{
    if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label);
}

namespace {

void SetBusLabel(ROZ_PtrList<ROZ_String>& labels, int idx, const char* label)
{
    if (idx < 0 || idx > 1) return;
    while (labels.GetSize() <= idx) {
        ROZ_String* empty = new ROZ_String();
        if (!labels.Add(empty)) {
            delete empty;
            return;
        }
    }
    labels.Get(idx)->Set(label);
}

const char* BusLabel(const ROZ_PtrList<ROZ_String>& labels, int idx)
{
    const ROZ_String* label = labels.Get(idx);
    return label ? label->Get() : "";
}

}  // namespace

void IPluginBase::SetInputBusLabel(int idx, const char* label)
{
    SetBusLabel(mInputBusLabels, idx, label);
}

void IPluginBase::SetOutputBusLabel(int idx, const char* label)
{
    SetBusLabel(mOutputBusLabels, idx, label);
}

const char* IPluginBase::GetInputBusLabel(int idx) const
{
    return BusLabel(mInputBusLabels, idx);
}

const char* IPluginBase::GetOutputBusLabel(int idx) const
{
    return BusLabel(mOutputBusLabels, idx);
}
