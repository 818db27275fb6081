// Conversion of an older-model (Zelto 1) sound dump into the current 137-byte
// layout. Most parameters move to new places; bytes the older model lacks come
// from the INIT sound.

#include "PatchLibrarian.h"
#include "SysExProtocol.h"

namespace {

// Where each result byte comes from: a source index (0 and above), a constant,
// or the INIT sound's byte at the same index.
struct ByteRule {
    enum Kind : unsigned char { Source, Constant, Init } kind;
    unsigned char value;
};

constexpr ByteRule S(unsigned char index) { return {ByteRule::Source, index}; }
constexpr ByteRule C(unsigned char value) { return {ByteRule::Constant, value}; }
constexpr ByteRule I() { return {ByteRule::Init, 0}; }

const ByteRule kRules[zsysex::kSoundDumpSize] = {
    // 0..6: header; a converted dump carries command 00
    C(0xF0), C(0x3E), C(0x16), C(0x00), C(0x00), C(0x00), C(0x00),
    S(8), S(9), S(6), S(7),                          // 7..10
    C(0x01),                                         // 11
    S(19), S(12), S(13), S(10), S(11),               // 12..16
    S(15), S(20), S(18),                             // 17..19
    C(0x00),                                         // 20
    S(16), S(17), S(14), S(21),                      // 21..24
    S(23), S(24), S(25), S(26),                      // 25..28
    S(41), S(42),                                    // 29, 30
    S(27), S(28), S(29), S(30),                      // 31..34
    C(0x00),                                         // 35
    S(32), S(33), S(34), S(35), S(36),               // 36..40
    C(0x00),                                         // 41
    S(38),                                           // 42
    S(56), S(57), S(58), S(59),                      // 43..46
    C(0x00),                                         // 47
    S(60), S(61), S(67), S(63),                      // 48..51
    C(0x00),                                         // 52
    S(62), S(64),                                    // 53, 54
    C(0x00), C(0x00),                                // 55, 56
    S(70), S(22), S(68), S(69),                      // 57..60
    S(44), S(45), S(46), S(47), S(48), S(49),        // 61..66
    S(50), S(51), S(52), S(53), S(54), S(55),        // 67..72
    S(40), S(39),                                    // 73, 74
    C(0x00),                                         // 75
    S(65), S(66),                                    // 76, 77
    C(0x0A),                                         // 78
    I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(),  // 79..91
    S(43), S(43),                                    // 92, 93
    I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(),  // 94..106
    I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(), I(),  // 107..119
    S(76), S(77), S(78), S(79), S(80), S(81), S(82),  // 120..126: the name
    S(83), S(84), S(85), S(86), S(87), S(88), S(89),  // 127..133
    S(90),                                           // 134: category, taken over
    C(0x2A),                                         // 135: INIT checksum, not recomputed
    C(0xF7),                                         // 136
};

constexpr int kFirstNameByte = zsysex::kSoundNameByte;
constexpr int kLastNameByte = zsysex::kSoundNameByte + zsysex::kSoundNameLength - 1;

// What stands in for a source byte the message does not hold: blanks in the
// name, the INIT category, else the INIT sound's own byte.
unsigned char standIn(int resultIndex)
{
    if (resultIndex >= kFirstNameByte && resultIndex <= kLastNameByte)
        return ' ';
    if (resultIndex == zsysex::kSoundCategoryByte)
        return kCategoryInit;
    return zsysex::initSinglePatch[resultIndex];
}

}  // namespace

PatchSysexMessage PatchLibrarian::convertPatchToZelto2Format(const PatchSysexMessage* source, int /*unused*/)
{
    PatchSysexMessage result;
    result.bytes.resize(zsysex::kSoundDumpSize);
    const std::vector<unsigned char> empty;
    const std::vector<unsigned char>& s = source ? source->bytes : empty;
    // The closing F7 is not a data byte.
    const size_t dataBytes = !s.empty() && s.back() == zsysex::kEnd ? s.size() - 1 : s.size();
    for (int i = 0; i < zsysex::kSoundDumpSize; ++i) {
        const ByteRule& rule = kRules[i];
        unsigned char byte = 0;
        switch (rule.kind) {
        case ByteRule::Source:
            byte = rule.value < dataBytes ? s[rule.value] : standIn(i);
            break;
        case ByteRule::Constant:
            byte = rule.value;
            break;
        case ByteRule::Init:
            byte = zsysex::initSinglePatch[i];
            break;
        }
        result.bytes[static_cast<size_t>(i)] = byte;
    }
    return result;
}
