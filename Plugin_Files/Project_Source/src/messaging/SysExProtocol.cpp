#include "SysExProtocol.h"

#include <algorithm>

#include "ParameterTable.h"

namespace zsysex {

const uint8_t initSinglePatch[kSoundDumpSize] = {
    0xF0, 0x3E, 0x16, 0x00, 0x10, 0x7F, 0x00, 0x00, 0x7F, 0x40, 0x40, 0x01, 0x28, 0x00, 0x7F, 0x40,
    0x40, 0x01, 0x00, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x0A, 0x00, 0x00,
    0x2A, 0x2A, 0x2A, 0x00, 0x02, 0x00, 0x2A, 0x7F, 0x2A, 0x00, 0x02, 0x00, 0x01, 0x25, 0x09, 0x00,
    0x00, 0x7F, 0x00, 0x40, 0x00, 0x40, 0x40, 0x00, 0x00, 0x40, 0x00, 0x64, 0x40, 0x02, 0x46, 0x00,
    0x00, 0x40, 0x0A, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x40, 0x00, 0x0A, 0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x03, 0x03, 0x06, 0x40,
    0x40, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32,
    0x32, 0x0F, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x01, 0x49, 0x4E, 0x49, 0x54, 0x20, 0x20, 0x20, 0x20,
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00, 0x2A, 0xF7,
};

// ---- Sound addresses and requests ---------------------------------------

SoundAddress soundAddress(int bank, int program)
{
    if (bank > 0) {
        const int slot = bank * kProgramsPerBank + program;
        return {static_cast<uint8_t>((slot / 128) & 0x7F), static_cast<uint8_t>(slot % 128)};
    }
    return {0, static_cast<uint8_t>(program & 0x7F)};
}

std::vector<uint8_t> soundRequest(int device, SoundAddress address)
{
    return {kManufacturer, kModel, static_cast<uint8_t>(device & 0x7F), kCommandSoundRequest,
        address.high, address.low};
}

std::vector<uint8_t> globalRequest(int device)
{
    return {kManufacturer, kModel, static_cast<uint8_t>(device & 0x7F), kCommandGlobalRequest};
}

std::vector<uint8_t> framed(const std::vector<uint8_t>& message)
{
    if (!message.empty() && message.front() == kStart)
        return message;
    std::vector<uint8_t> out;
    out.reserve(message.size() + 2);
    out.push_back(kStart);
    out.insert(out.end(), message.begin(), message.end());
    out.push_back(kEnd);
    return out;
}

// ---- Checksum ---------------------------------------------------------------

uint8_t checksum(const uint8_t* bytes, int from, int to)
{
    unsigned sum = 0;
    for (int i = from; i <= to; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum % 128);
}

uint8_t calculateCheckSum(const uint8_t* message, int n)
{
    return n < 4 ? 0 : checksum(message, 1, n - 3);
}

uint8_t calculateCheckSum(const std::vector<uint8_t>& message)
{
    return calculateCheckSum(message.data(), static_cast<int>(message.size()));
}

int applyOutgoingChecksum(uint8_t* data, int len)
{
    if (len < kChecksumMinimumSize)
        return -1;
    if (data[0] == kStart) {
        data[len - 2] = calculateCheckSum(data, len);
        return data[len - 2];
    }
    data[len - 1] = checksum(data, 0, len - 2);
    return data[len - 1];
}

// ---- Section locks ----------------------------------------------------------

int sectionLockParameter(SectionLock lock)
{
    return kSectionLockOsc1 + static_cast<int>(lock);
}

SectionLockState SectionLockState::read(const ParameterSource& params)
{
    SectionLockState state;
    for (int i = 0; i < kSectionLockCount; ++i)
        state.m_locked[i] = params.parameterValue(kSectionLockOsc1 + i) == 1.0;
    return state;
}

bool SectionLockState::isLocked(SectionLock lock) const
{
    return lock != SectionLock::None && m_locked[static_cast<int>(lock)];
}

void SectionLockState::setLocked(SectionLock lock, bool locked)
{
    if (lock != SectionLock::None)
        m_locked[static_cast<int>(lock)] = locked;
}

// ---- Sound dump map -----------------------------------------------------------

namespace {

using D = DecodeRule;
using E = EncodeRule;
using L = SectionLock;

constexpr SoundDumpField plain(int byte, int parameter, SectionLock lock)
{
    return {static_cast<uint8_t>(byte), static_cast<int16_t>(parameter), D::Plain, E::Plain, lock};
}

constexpr SoundDumpField modUnit(int byte)
{
    return plain(byte, kModUnit1Source + (byte - 61), L::ModMatrix);
}

constexpr SoundDumpField patternStep(int byte)
{
    return {static_cast<uint8_t>(byte), static_cast<int16_t>(kPatternStep01Event + (byte - 97)),
        D::PatternStep, E::PatternStep, L::Arp};
}

}  // namespace

const SoundDumpField kSoundDumpMap[] = {
    {5, kCurrentBank, D::Bank, E::AddressHigh, L::Osc1},
    {6, kCurrentPatch, D::Program, E::AddressLow, L::Osc1},
    plain(7, kOscillator1Shape, L::Osc1),
    plain(8, kOscillator1Pulsewidth, L::Osc1),
    {9, kOscillator1Semitone, D::Semitone, E::Semitone, L::Osc1},
    plain(10, kOscillator1Tune, L::Osc1),
    plain(11, kOscillator1Keytrack, L::Osc1),
    plain(12, kOscillator1Level, L::Mixer),
    plain(13, kOscillator2Shape, L::Osc2),
    plain(14, kOscillator2Pulsewidth, L::Osc2),
    {15, kOscillator2Semitone, D::Semitone, E::Semitone, L::Osc2},
    plain(16, kOscillator2Tune, L::Osc2),
    plain(17, kOscillator2Keytrack, L::Osc2),
    plain(18, kOscillator2Level, L::Mixer),
    plain(19, kOscillator3Shape, L::Osc3),
    plain(20, kOscillator3Routing, L::Osc3),
    {21, kOscillator3Semitone, D::Semitone, E::Semitone, L::Osc3},
    plain(22, kOscillator3Tune, L::Osc3),
    plain(23, kOscillator2Sync, L::Osc2),
    plain(24, kOscillator3Level, L::Mixer),
    plain(25, kLFO1Speed, L::LFO1),
    {26, kLFO1Shape, D::LFO1ShapeClock, E::LFO1ShapeClock, L::LFO1},
    plain(27, kLFO2Speed, L::LFO2),
    plain(28, kLFO2Delay, L::LFO2),
    plain(29, kPortamento, L::Porta),
    plain(30, kPortamentoMode, L::Porta),
    plain(31, kEnvelope1Attack, L::Eg1),
    plain(32, kEnvelope1Decay, L::Eg1),
    plain(33, kEnvelope1Sustain, L::Eg1),
    plain(34, kEnvelope1Release, L::Eg1),
    plain(35, kEnvelope1Loop, L::Eg1),
    plain(36, kEnvelope1Trigger, L::Eg1),
    plain(37, kEnvelope2Attack, L::Eg2),
    plain(38, kEnvelope2Decay, L::Eg2),
    plain(39, kEnvelope2Sustain, L::Eg2),
    plain(40, kEnvelope2Release, L::Eg2),
    plain(41, kEnvelope2Loop, L::Eg2),
    plain(42, kEnvelope2Trigger, L::Eg2),
    {43, kArpOnOff, D::ArpOnOff, E::Plain, L::Arp},
    plain(44, kArpRange, L::Arp),
    plain(45, kArpTempo, L::Arp),
    {46, kArpClock, D::ArpClock, E::ArpClock, L::Arp},
    plain(47, kArpPattern, L::Arp),
    plain(48, kArpMode, L::Arp),
    plain(49, kFilterCutoff, L::Filter),
    plain(50, kFilterResonance, L::Filter),
    plain(51, kFilterCutoffEnv1Sens, L::Filter),
    plain(52, kFilterType, L::Filter),
    plain(53, kFilterCutoffKeytrack, L::Filter),
    plain(54, kFilterCutoffVeloSens, L::Filter),
    plain(55, kVolumeDrive, L::Filter),
    plain(56, kVolumeDriveCurve, L::Filter),
    plain(57, kPanning, L::Amp),
    plain(58, kNoiseLevel, L::Mixer),
    plain(59, kVolume, L::Amp),
    plain(60, kVolumeVeloSense, L::Amp),
    modUnit(61), modUnit(62), modUnit(63), modUnit(64), modUnit(65), modUnit(66),
    modUnit(67), modUnit(68), modUnit(69), modUnit(70), modUnit(71), modUnit(72),
    modUnit(73), modUnit(74), modUnit(75), modUnit(76), modUnit(77), modUnit(78),
    modUnit(79), modUnit(80), modUnit(81), modUnit(82), modUnit(83), modUnit(84),
    plain(85, kUnisonDetune, L::Porta),
    plain(86, kOscillator1EnvAFade, L::Osc1),
    plain(87, kOscillator2EnvAFade, L::Osc2),
    plain(92, kPitchBendScaleUp, L::Porta),
    plain(93, kPitchBendScaleDown, L::Porta),
    plain(94, kStepDuration, L::Arp),
    plain(95, kArpSwing, L::Arp),
    plain(96, kArpDelay, L::Arp),
    patternStep(97), patternStep(98), patternStep(99), patternStep(100),
    patternStep(101), patternStep(102), patternStep(103), patternStep(104),
    patternStep(105), patternStep(106), patternStep(107), patternStep(108),
    patternStep(109), patternStep(110), patternStep(111), patternStep(112),
    plain(113, kPatternLength, L::Arp),
    plain(114, kAccentControl, L::Arp),
};

const int kSoundDumpMapCount = static_cast<int>(sizeof(kSoundDumpMap) / sizeof(kSoundDumpMap[0]));

namespace {

// Row index by byte, built once from the table so the table stays the one source.
struct SoundRowIndex {
    int8_t row[kSoundLastParameterByte + 1];
    SoundRowIndex()
    {
        std::fill(std::begin(row), std::end(row), static_cast<int8_t>(-1));
        for (int i = 0; i < kSoundDumpMapCount; ++i)
            row[kSoundDumpMap[i].byte] = static_cast<int8_t>(i);
    }
};

const SoundRowIndex& soundRowIndex()
{
    static const SoundRowIndex index;
    return index;
}

int truncated(double value)
{
    return static_cast<int>(value);
}

uint8_t dataByte(int value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 127));
}

}  // namespace

const SoundDumpField* soundDumpField(int byte)
{
    if (byte < 0 || byte > kSoundLastParameterByte)
        return nullptr;
    const int row = soundRowIndex().row[byte];
    return row < 0 ? nullptr : &kSoundDumpMap[row];
}

int patternStepEventParameter(int step)
{
    return kPatternStep01Event + step - 1;
}

int patternStepTimeParameter(int step)
{
    return kPatternStep01Time + step - 1;
}

int patternStepGlideParameter(int step)
{
    return kPatternStep01Glide + step - 1;
}

void decodeSoundParameters(const uint8_t* bytes, int size, const SectionLockState& locks,
    ParameterSink& sink)
{
    const int last = std::min(size - 1, kSoundLastParameterByte);
    bool bankAccepted = false;
    for (int i = kSoundBankByte; i <= last; ++i) {
        const SoundDumpField* field = soundDumpField(i);
        if (!field)
            continue;
        const int b = bytes[i];
        if (field->decode == DecodeRule::Bank)
            bankAccepted = b <= kSoundBankMax;
        if (locks.isLocked(field->lock))
            continue;
        switch (field->decode) {
        case DecodeRule::Plain:
            sink.setParameter(field->parameter, b);
            break;
        case DecodeRule::Semitone:
            sink.setParameter(field->parameter, b - 16);
            break;
        case DecodeRule::LFO1ShapeClock:
            sink.setParameter(kLFO1ShapeClock, b);
            sink.setParameter(field->parameter, b < 5 ? b : b - 5);
            break;
        case DecodeRule::ArpOnOff:
            sink.setParameter(field->parameter, b);
            sink.setParameter(kArpOnOffIndicator, b != 0 ? 1.0 : 0.0);
            break;
        case DecodeRule::ArpClock:
            sink.setParameter(field->parameter, b > 0 ? b - 1 : 0);
            break;
        case DecodeRule::PatternStep: {
            const int step = i - 96;
            const int event = b % 16, time = (b / 16) % 4, glide = b / 64;
            sink.patternStepDecoded(event, time, glide);
            sink.setParameter(patternStepEventParameter(step), event);
            sink.setParameter(patternStepTimeParameter(step), time);
            sink.setParameter(patternStepGlideParameter(step), glide);
            break;
        }
        case DecodeRule::Bank:
            if (bankAccepted)
                sink.setParameter(field->parameter, b);
            break;
        case DecodeRule::Program:
            if (bankAccepted)
                sink.setParameter(field->parameter, b);
            break;
        }
    }
}

uint8_t encodePatternStep(const ParameterSource& params, int step)
{
    const int event = truncated(params.parameterValue(patternStepEventParameter(step)));
    const int time = truncated(params.parameterValue(patternStepTimeParameter(step)));
    const int glide = truncated(params.parameterValue(patternStepGlideParameter(step)));
    return dataByte(glide * 64 + time * 16 + event);
}

void encodeSoundParameters(const ParameterSource& params, uint8_t* dump)
{
    for (int i = kSoundFirstParameterByte; i <= kSoundLastParameterByte; ++i) {
        const SoundDumpField* field = soundDumpField(i);
        if (!field)
            continue;
        const int value = truncated(params.parameterValue(field->parameter));
        switch (field->encode) {
        case EncodeRule::Plain:
            dump[i] = dataByte(value);
            break;
        case EncodeRule::Semitone:
            dump[i] = dataByte(value + 16);
            break;
        case EncodeRule::LFO1ShapeClock:
            dump[i] = dataByte(truncated(params.parameterValue(kLFO1ShapeClock)));
            break;
        case EncodeRule::ArpClock:
            dump[i] = dataByte(value + 1);
            break;
        case EncodeRule::PatternStep:
            dump[i] = encodePatternStep(params, i - 96);
            break;
        case EncodeRule::AddressHigh:
        case EncodeRule::AddressLow:
            break;
        }
    }
}

std::string soundName(const uint8_t* bytes, int size)
{
    std::string name;
    if (size < kSoundNameByte + kSoundNameLength)
        return name;
    for (int i = kSoundNameByte; i < kSoundNameByte + kSoundNameLength; ++i)
        if (bytes[i] != 0)
            name.push_back(static_cast<char>(bytes[i]));
    return name;
}

const char* soundCategoryWord(int code)
{
    static const char* const words[kSoundMaxCategory + 1] = {
        "NONE", "ARP", "ATMO", "BASS", "DRUM", "FX", "KEYS", "LEAD", "MONO", "PAD", "PERC",
        "POLY", "SEQ", "DUB", "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT",
    };
    if (code < 0 || code > kSoundMaxCategory)
        return "NONE";
    return words[code];
}

// ---- Global dump map --------------------------------------------------------

const GlobalDumpField kGlobalDumpMap[] = {
    {5, kGlobalMasterTune, -54},
    {6, kGlobalTranspose, -40},
    {7, kGlobalInputGain, 0},
    {8, kGlobalMidiChannel, 0},
    {9, kGlobalDeviceID, 0},
    {10, kGlobalControlX, 0},
    {11, kGlobalClock, 0},
    {12, kGlobalLocalControl, 0},
    {13, kGlobalTxArpClock, 0},
    {14, kGlobalTxArpNotes, 0},
    {15, kGlobalTxParameter, 0},
    {16, kGlobalMidiThru, 0},
    {17, kGlobalLCDContrast, 0},
    {18, kGlobalVelCurv, 0},
    {19, kGlobalZ1Legacy, 0},
    {20, kGlobalCVMode, 0},
    {21, kGlobalCVAmp, 0},
    {22, kGlobalCVTune, 0},
    {23, kGlobalCVAdjust, 0},
    {24, kGlobalGateMode, 0},
    {35, kGlobalVolume, 0},
    {36, kGlobalPanning, 0},
};

const int kGlobalDumpMapCount = static_cast<int>(sizeof(kGlobalDumpMap) / sizeof(kGlobalDumpMap[0]));

const GlobalDumpField* globalDumpField(int byte)
{
    for (int i = 0; i < kGlobalDumpMapCount; ++i)
        if (kGlobalDumpMap[i].byte == byte)
            return &kGlobalDumpMap[i];
    return nullptr;
}

// ---- Incoming tests -----------------------------------------------------------

bool isDecodableSoundDump(const uint8_t* bytes, int size)
{
    return size >= kSoundDumpMinimumDecoded && bytes[1] == kManufacturer && bytes[2] == kModel
        && bytes[3] <= 15;
}

bool isDecodableGlobalDump(const uint8_t* bytes, int size)
{
    return size == kGlobalDumpSize && bytes[1] == kManufacturer && bytes[2] == kModel
        && bytes[4] == kCommandGlobalDump;
}

bool hasAcceptedHeader(const uint8_t* bytes, int size)
{
    return size >= kHeaderSize && bytes[1] == kManufacturer
        && (bytes[2] == kModel || bytes[2] == kOlderModel) && bytes[3] < 0x80;
}

bool hasSingleParameterAddress(const uint8_t* bytes, int size)
{
    return size > 4 && bytes[3] == kSingleParameterAddress0 && bytes[4] == kSingleParameterAddress1;
}

bool isSingleParameterMessage(const uint8_t* bytes, int size)
{
    return size == kSingleParameterSize && hasSingleParameterAddress(bytes, size);
}

SysExRoute routeSysEx(const uint8_t* bytes, int size, const DispatchState& state)
{
    if (!state.fromHardware || size == kEnquiryEchoSize || size < kHeaderSize || !bytes)
        return SysExRoute::Ignored;
    if (!hasAcceptedHeader(bytes, size))
        return SysExRoute::BadHeader;
    if (state.libraryRequestActive)
        return SysExRoute::LibraryRequest;
    if (size >= kDumpRouteMinimumSize && state.patchRequested)
        return SysExRoute::SoundDump;
    if (size >= kGlobalRouteMinimumSize)
        return state.globalRequestPending ? SysExRoute::GlobalDump : SysExRoute::NotDecoded;
    if (size > kShortRouteMaximumSize)
        return SysExRoute::NotDecoded;
    return state.patchRequested ? SysExRoute::NotDecoded : SysExRoute::SingleParameter;
}

}  // namespace zsysex
