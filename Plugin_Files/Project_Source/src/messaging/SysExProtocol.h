#pragma once
// The Zelto 2's SysEx protocol, written once as data and pure functions: the
// frame, message kinds, sound addresses, the checksum rule, the INIT sound and
// the maps between dump bytes and parameters. The incoming decoders, the
// senders and the randomizer all read these tables; nothing here touches a
// port, a thread or the surface.

#include <cstdint>
#include <string>
#include <vector>

namespace zsysex {

constexpr uint8_t kStart = 0xF0;
constexpr uint8_t kEnd = 0xF7;
constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kModel = 0x16;
constexpr uint8_t kOlderModel = 0x0B;

constexpr uint8_t kCommandSoundRequest = 0x00;
constexpr uint8_t kCommandGlobalRequest = 0x04;
constexpr uint8_t kCommandSoundDump = 0x10;
constexpr uint8_t kCommandGlobalDump = 0x14;

// F0, manufacturer, model, device: what every incoming test reads.
constexpr int kHeaderSize = 4;
constexpr int kSoundDumpSize = 137;
constexpr int kSoundDumpMinimumDecoded = 135;  // without checksum and F7
constexpr int kGlobalDumpSize = 39;
constexpr int kSingleParameterSize = 10;
constexpr int kEnquiryEchoSize = 6;
constexpr int kChecksumMinimumSize = 71;
// Size classes of the incoming dispatcher.
constexpr int kDumpRouteMinimumSize = 71;
constexpr int kGlobalRouteMinimumSize = 38;
constexpr int kShortRouteMaximumSize = 24;

// Sound dump offsets (counted from F0).
constexpr int kSoundBankByte = 5;
constexpr int kSoundProgramByte = 6;
constexpr int kSoundFirstParameterByte = 7;
constexpr int kSoundLastParameterByte = 114;
constexpr int kSoundLastRawByte = 134;
constexpr int kSoundNameByte = 120;
constexpr int kSoundNameLength = 14;
constexpr int kSoundCategoryByte = 134;
constexpr int kSoundChecksumByte = 135;
constexpr int kSoundMaxCategory = 20;
constexpr int kSoundBankMax = 4;
constexpr int kProgramsPerBank = 100;

// Global dump offsets.
constexpr int kGlobalFirstParameterByte = 5;
constexpr int kGlobalLastParameterByte = 36;
constexpr int kGlobalClockByte = 11;

// Single-parameter message: F0 3E 16 58 41 A B value x F7.
constexpr uint8_t kSingleParameterAddress0 = 0x58;
constexpr uint8_t kSingleParameterAddress1 = 0x41;

// The built-in INIT sound: a complete framed sound dump for the edit buffer.
extern const uint8_t initSinglePatch[kSoundDumpSize];

// ---- Sound addresses and requests ---------------------------------------

struct SoundAddress {
    uint8_t high;
    uint8_t low;
};

constexpr SoundAddress kEditBufferAddress {0x7F, 0x00};

// Slot bank x 100 + program in two 7-bit bytes; bank 0 is simply (0, program).
SoundAddress soundAddress(int bank, int program);

// Unframed requests as handed to the editor's checksum sender (it frames them).
std::vector<uint8_t> soundRequest(int device, SoundAddress address);
std::vector<uint8_t> globalRequest(int device);

// Adds F0 and F7 around an unframed message; a message already starting
// with F0 is returned unchanged.
std::vector<uint8_t> framed(const std::vector<uint8_t>& message);

// ---- Checksum ---------------------------------------------------------------

// (sum of bytes[from..to]) mod 128; an empty range gives 0.
uint8_t checksum(const uint8_t* bytes, int from, int to);

// The checksum of a framed message of n bytes, the value that belongs in
// byte n-2: (sum of bytes 1..n-3) mod 128; 0 when n is below 4.
uint8_t calculateCheckSum(const uint8_t* message, int n);
uint8_t calculateCheckSum(const std::vector<uint8_t>& message);

// The one outgoing checksum rule: for len >= 71 writes the checksum in place
// (framed: sum of bytes 1..len-3 into len-2; unframed: sum of 0..len-2 into
// len-1) and returns it; shorter messages are left alone and give -1.
int applyOutgoingChecksum(uint8_t* data, int len);

// ---- Section locks ----------------------------------------------------------

enum class SectionLock : int8_t {
    None = -1,
    Osc1 = 0, Osc2, Osc3, Mixer, Porta, Filter, Eg1, Eg2, Amp, LFO1, LFO2, ModMatrix, Arp,
};
constexpr int kSectionLockCount = 13;

// The parameter index that holds the lock (kSectionLockOsc1 .. kSectionLockArp).
int sectionLockParameter(SectionLock lock);

// Read-only view of parameter values, in each parameter's own units.
class ParameterSource {
public:
    virtual ~ParameterSource() = default;
    virtual double parameterValue(int index) const = 0;
};

// Receives decoded values in each parameter's own units.
class ParameterSink {
public:
    virtual ~ParameterSink() = default;
    virtual void setParameter(int index, double value) = 0;
    // The three fields of a pattern-step byte, reported before they are set.
    virtual void patternStepDecoded(int event, int time, int glide) {}
};

// The thirteen lock values taken once, before a dump is decoded; a section
// counts as locked only at exactly 1.0.
class SectionLockState {
public:
    SectionLockState() = default;
    static SectionLockState read(const ParameterSource& params);
    bool isLocked(SectionLock lock) const;
    void setLocked(SectionLock lock, bool locked);

private:
    bool m_locked[kSectionLockCount] = {};
};

// ---- Sound dump map -----------------------------------------------------------

enum class DecodeRule : uint8_t {
    Plain,           // b
    Semitone,        // b - 16
    LFO1ShapeClock,  // kLFO1ShapeClock = b, then kLFO1Shape = b < 5 ? b : b - 5
    ArpOnOff,        // kArpOnOff = b, then kArpOnOffIndicator = b != 0
    ArpClock,        // b - 1, 0 stays 0
    PatternStep,     // event = b mod 16, time = (b div 16) mod 4, glide = b div 64
    Bank,            // b when 0..4; a larger b blocks the program byte
    Program,         // b when the bank byte was 0..4
};

enum class EncodeRule : uint8_t {
    Plain,           // value
    Semitone,        // value + 16
    LFO1ShapeClock,  // the value of kLFO1ShapeClock
    ArpClock,        // value + 1, the inverse of the decode rule
    PatternStep,     // glide x 64 + time x 16 + event
    AddressHigh,     // written by the dump builder from the target slot
    AddressLow,
};

struct SoundDumpField {
    uint8_t byte;
    int16_t parameter;  // pattern steps: the step's event parameter
    DecodeRule decode;
    EncodeRule encode;
    SectionLock lock;
};

// Every mapped byte of 5..114 in byte order (88..91 carry no parameter).
extern const SoundDumpField kSoundDumpMap[];
extern const int kSoundDumpMapCount;

// The row of a dump byte, or null for an unmapped byte.
const SoundDumpField* soundDumpField(int byte);

// The pattern-step parameters of step n (1..16).
int patternStepEventParameter(int step);
int patternStepTimeParameter(int step);
int patternStepGlideParameter(int step);

// Decodes bytes 5..114 of a sound dump (as far as size reaches) into the sink,
// skipping every byte whose section is locked. The caller has checked the header.
void decodeSoundParameters(const uint8_t* bytes, int size, const SectionLockState& locks,
    ParameterSink& sink);

// Writes bytes 7..114 of a 137-byte dump from the parameter values (truncated
// to integers, kept within 0..127); unmapped bytes are left as they are.
void encodeSoundParameters(const ParameterSource& params, uint8_t* dump);

// The step byte of pattern step n (1..16) from its three parameters.
uint8_t encodePatternStep(const ParameterSource& params, int step);

// Name of a sound dump: bytes 120..133 with zero bytes left out; empty when
// the message is too short to hold a name.
std::string soundName(const uint8_t* bytes, int size);

// The decoder's category word for byte 134 ("NONE" above 20 or below 0).
const char* soundCategoryWord(int code);

// ---- Global dump map --------------------------------------------------------

struct GlobalDumpField {
    uint8_t byte;
    int16_t parameter;
    int8_t offset;  // decoded value = b + offset
};

extern const GlobalDumpField kGlobalDumpMap[];
extern const int kGlobalDumpMapCount;

const GlobalDumpField* globalDumpField(int byte);

// ---- Incoming tests -----------------------------------------------------------

// A sound dump the decoder takes: 135 bytes or more, current model, device 0..15.
bool isDecodableSoundDump(const uint8_t* bytes, int size);
// A global dump the decoder takes: exactly 39 bytes, current model, command 0x14.
bool isDecodableGlobalDump(const uint8_t* bytes, int size);
// The header test of incoming SysEx: manufacturer, either model, 7-bit device.
// A message shorter than the header fails it.
bool hasAcceptedHeader(const uint8_t* bytes, int size);
// F0 3E 16 58 41 A B value x F7: the hardware's single-parameter message.
bool isSingleParameterMessage(const uint8_t* bytes, int size);
// Bytes 3 and 4 are 58 41, the address prefix of single-parameter messages
// (of any length), where other messages carry the device ID.
bool hasSingleParameterAddress(const uint8_t* bytes, int size);

// Where the incoming dispatcher sends a message.
enum class SysExRoute {
    Ignored,          // from the host, an enquiry echo or shorter than the header
    BadHeader,        // wrong manufacturer or model, or device with bit 7 set
    LibraryRequest,   // collected for the librarian
    SoundDump,        // decoded into the parameters
    GlobalDump,       // handed to the global decoder
    NotDecoded,       // accepted, nothing to decode
    SingleParameter,  // applied to the control bound to its address
};

struct DispatchState {
    bool fromHardware = true;
    bool libraryRequestActive = false;
    bool patchRequested = false;
    bool globalRequestPending = false;
};

SysExRoute routeSysEx(const uint8_t* bytes, int size, const DispatchState& state);

}  // namespace zsysex
