#pragma once
// Small value types the framework and the editor pass around: MIDI records,
// the state byte chunk, presets, audio channel records, host time and the
// per-instance information of the component entry.

#include <cstdint>

#include "heapbuf.h"
#include "wdlstring.h"

// Plug-in API the binding reports.
enum EAPI {
    kAPIVST2 = 0,
    kAPIVST3 = 1,
    kAPIAU = 2,
    kAPIRTAS = 3,
    kAPIAAX = 4,
    kAPISA = 5,
};

// One short MIDI message with its sample offset into the current block.
// A message with status 0 is empty.
struct IMidiMsg {
    int mOffset;
    uint8_t mStatus;
    uint8_t mData1;
    uint8_t mData2;

    // Controller numbers 0..127; any int in that range may be cast to it. Kept
    // inside the record so its names never meet the editor's parameter names.
    enum EControlChangeMsg {
        kBankSelectMSB = 0,
        kModWheel = 1,
        kBreathController = 2,
        kFootController = 4,
        kPortamentoTime = 5,
        kDataEntryMSB = 6,
        kChannelVolume = 7,
        kBalance = 8,
        kPan = 10,
        kExpressionController = 11,
        kBankSelectLSB = 32,
        kDataEntryLSB = 38,
        kSustainOnOff = 64,
        kPortamentoOnOff = 65,
        kSustenutoOnOff = 66,
        kSoftPedalOnOff = 67,
        kLegatoOnOff = 68,
        kCutoffFrequency = 74,
        kDataIncrement = 96,
        kDataDecrement = 97,
        kNRPNLSB = 98,
        kNRPNMSB = 99,
        kRPNLSB = 100,
        kRPNMSB = 101,
        kAllSoundOff = 120,
        kResetAllControllers = 121,
        kLocalControl = 122,
        kAllNotesOff = 123,
    };

    enum EStatusMsg {
        kNone = 0,
        kNoteOff = 8,
        kNoteOn = 9,
        kPolyAftertouch = 10,
        kControlChange = 11,
        kProgramChange = 12,
        kChannelAftertouch = 13,
        kPitchWheel = 14,
    };

    IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
        : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
    {
    }

    void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
    void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0, int velocity = 0);
    // value 0..1 becomes value x 127 truncated; offset 0.
    void MakeControlChangeMsg(int controller, double value, int channel = 0);
    void MakeControlChangeMsg(EControlChangeMsg controller, double value, int channel = 0);
    // program is normalised: pass n / 127.0 for program n. One data byte.
    void MakeProgramChangeMsg(double program, int channel = 0);
    // value -1..1 around the centre 8192.
    void MakePitchWheelMsg(double value, int channel = 0);

    EStatusMsg StatusMsg() const;
    int Channel() const;
    int NoteNumber() const;
    int Velocity() const;
    int Program() const;
    double PitchWheel() const;
    int ControlChangeIdx() const;
    double ControlChange(EControlChangeMsg controller) const;
    void Clear();
    // Prints "(kind | channel | data1 | data2)" to standard output.
    void LogMsg() const;
    static const char* StatusMsgStr(EStatusMsg status);
};

using EControlChangeMsg = IMidiMsg::EControlChangeMsg;

// A view of one SysEx message; it does not own the bytes.
struct ISysEx {
    int mOffset;
    int mSize;
    const uint8_t* mData;

    ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
        : mOffset(offset), mSize(size), mData(data)
    {
    }
    void Clear();
    // Prints "(size : first 32 bytes in hex)" to standard output.
    void LogMsg() const;
};

// Growable byte buffer for state: raw values in machine order (little-endian
// on our targets), strings as a 32-bit length then the characters, bools as
// one byte. Every read takes a position and returns the position after what
// it read, or -1 when the data runs out (the destination is then unchanged,
// except that a failed string read empties the string).
// Not thread-safe: the owner guards it.
class ByteChunk {
public:
    ByteChunk() : mBytes(4096) {}

    // Appends raw bytes; returns the new size, or -1 when the chunk could
    // not grow (it is then unchanged).
    int PutBytes(const void* buf, int size);
    // Copies size bytes at startPos into buf; position after them, or -1.
    int GetBytes(void* buf, int size, int startPos) const;

    template <class T>
    int Put(const T* value)
    {
        return PutBytes(value, static_cast<int>(sizeof(T)));
    }
    template <class T>
    int Get(T* value, int startPos) const
    {
        return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
    }

    int PutStr(const char* str);
    int GetStr(ROZ_String* str, int startPos) const;
    int PutBool(bool b);
    int GetBool(bool* b, int startPos) const;
    // Appends other's bytes, no length.
    int PutChunk(const ByteChunk* other);

    void Clear() { mBytes.Resize(0); }
    int Size() const { return mBytes.GetSize(); }
    // Sets the size (new bytes are zero); returns the size now held.
    int Resize(int newSize);
    uint8_t* GetBytes() { return mBytes.Get(); }
    const uint8_t* GetBytes() const { return mBytes.Get(); }
    bool IsEqual(const ByteChunk* other) const;

    // Clears the chunk and writes the framework's magic "tffp" and version.
    static bool InitChunkWithIPluginVer(ByteChunk* chunk);
    // The version written by InitChunkWithIPluginVer; 0 when absent.
    // *position advances past it when found.
    static int GetIPluginVerFromChunk(const ByteChunk* chunk, int* position);

private:
    ROZ_TypedBuf<uint8_t> mBytes;
};

// One preset: name, whether it holds state, and that state.
struct IPreset {
    static constexpr int kNameLength = 256;  // 255 characters
    bool mInitialized = false;
    char mName[kNameLength];
    ByteChunk mChunk;

    IPreset();
    // Copies name, cut to the field.
    void SetName(const char* name);
};

// Legal channel configuration: inputs-outputs.
struct ChannelIO {
    int mIn;
    int mOut;
};

// Audio input channel: feeds one slot of the plug-in's input-pointer array.
struct InChannel {
    bool mConnected = false;
    double** mSrc = nullptr;
    ROZ_TypedBuf<double> mScratchBuf{4096};
    ROZ_String mLabel;
};

// Audio output channel: fills one slot of the output-pointer array; the
// float form writes back to mFDest.
struct OutChannel {
    bool mConnected = false;
    double** mDest = nullptr;
    float* mFDest = nullptr;
    ROZ_TypedBuf<double> mScratchBuf{4096};
    ROZ_String mLabel;
};

// What the component entry hands the plug-in constructor; copied by value.
struct IPluginInstanceInfo {
    ROZ_String mOSXBundleID;
    ROZ_String mCocoaViewFactoryClassName;
};

// The host's musical time as the editor keeps it.
struct ITimeInfo {
    double mTempo = 120.0;
    double mSamplePos = -1.0;
    double mPPQPos = -1.0;
    double mLastBar = -1.0;
    double mCycleStart = -1.0;
    double mCycleEnd = -1.0;
    int mNumerator = 4;
    int mDenominator = 4;
    bool mTransportIsRunning = false;
    bool mTransportLoopEnabled = false;
};
