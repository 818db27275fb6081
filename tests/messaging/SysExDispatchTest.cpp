// The incoming SysEx dispatcher and the dump decoders on an editor without a
// window, and the control-lookup containers the dispatcher files controls in.
#include <algorithm>
#include <tuple>

#include "CCControlContainer.h"
#include "EditorFixture.h"
#include "NRPNControlContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

class SysExDispatch : public EditorFixture {
protected:
    void parseSound(const std::vector<uint8_t>& bytes)
    {
        ISysEx msg(0, bytes.data(), static_cast<int>(bytes.size()));
        quietly([&] { manager->sysexPartPatchParse(&msg); });
    }
};

// Unrequested, echoed, foreign and host dumps change nothing; the requested one is decoded, its device adopted, and
// locked sections keep their values.
TEST_F(SysExDispatch, OnlyTheRequestedSoundDumpIsDecodedItsDeviceAdoptedAndLockedSectionsKeepTheirValues)
{
    editor->GetParam(kSectionLockArp)->Set(1.0);
    editor->GetParam(kSectionLockFilter)->Set(0.99);
    editor->GetParam(kArpRange)->Set(9);
    auto dump = initDump(), foreign = initDump();
    dump[3] = 5, dump[44] = 2, dump[49] = 100;
    foreign[1] = 0x41;
    quietly([&] {
        sendSysEx(dump);  // not requested
        manager->patchRequested = true;
        sendSysEx(bytesOf("F0 3E 16 09 04 F7"));
        sendSysEx(foreign);
        sendSysEx(dump, false);
    });
    EXPECT_TRUE(editor->currentDeviceId == 0 && !manager->dataProcessed);
    quietly([&] { sendSysEx(dump); });
    // The raw bytes are stored even when locked.
    EXPECT_EQ(std::tuple(value(kFilterCutoff), value(kArpRange), editor->getProgramValueByParts(0, 0, 44),
                  int(editor->currentDeviceId), value(kGlobalDeviceID)), std::tuple(100, 9, 2, 5, 5));
    EXPECT_TRUE(manager->dataProcessed && editor->incomingSysExProcessed);
}

TEST_F(SysExDispatch, SingleParameterMessageKeepsTheDeviceIdAndOtherShortMessagesAdoptTheirs)
{
    TestControl* control = bindSysEx(kFilterCutoff, 0x10, 0x00);
    editor->currentDeviceId = 3;
    quietly([&] { sendSysEx(bytesOf("F0 3E 16 58 41 10 00 40 00 F7")); });
    sendSysEx(bytesOf("F0 3E 16 58 41 10 00 40 00 00 F7"));  // one byte too long
    EXPECT_EQ(std::pair(control->moves, int(editor->currentDeviceId)),
        std::pair(std::vector<double> {64.0 / 127.0}, 3));
    sendSysEx(bytesOf("F0 3E 16 05 00 00 1E F7"));
    EXPECT_EQ(std::tuple(int(editor->currentDeviceId), int(editor->currentDeviceId2), value(kGlobalDeviceID)),
        std::tuple(5, 5, 5));
}

TEST_F(SysExDispatch, SingleParameterAddressDecidesEchoAndTabRefresh)
{
    // Address bytes 5 and 6, then whether the move suppresses the echo and refreshes the main tab.
    const std::tuple<uint8_t, uint8_t, bool, bool> rows[] = {{0x00, 0x02, true, true}, {0x29, 0x00, true, true},
        {0x6B, 0x00, true, true}, {0x70, 0x00, true, true}, {0x7B, 0x01, true, true}, {0x10, 0x00, true, false},
        {0x7B, 0x00, false, false}, {0x29, 0x01, false, false}, {0x11, 0x00, false, false}};
    for (const auto& [b5, b6, quiet, refreshesTab] : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(b5) << " " << int(b6));
        TestControl* control = bindSysEx(kFilterCutoff, b5, b6);
        editor->hardwareChanges.clear();
        const std::vector<uint8_t> message = {0xF0, 0x3E, 0x16, 0x58, 0x41, b5, b6, 0x40, 0x00, 0xF7};
        quietly([&] { sendSysEx(message); });
        EXPECT_EQ(control->echoSuppressed, std::vector<bool> {quiet});
        const auto& changes = editor->hardwareChanges;
        EXPECT_EQ(std::count(changes.begin(), changes.end(), kMainTab) > 0, refreshesTab);
        EXPECT_FALSE(manager->suppressEcho);
    }
}

TEST_F(SysExDispatch, GlobalDumpWhileTheGlobalRequestWaitsSetsEveryDocumentedParameter)
{
    // byte -> parameter index and the offset of its decode rule
    const int map[][3] = {{5, 216, -54}, {6, 219, -40}, {7, 220, 0}, {8, 93, 0}, {9, 218, 0}, {10, 217, 0},
        {11, 221, 0}, {12, 94, 0}, {13, 222, 0}, {14, 223, 0}, {15, 224, 0}, {16, 225, 0}, {17, 234, 0}, {18, 237, 0},
        {19, 228, 0}, {20, 229, 0}, {21, 230, 0}, {22, 231, 0}, {23, 232, 0}, {24, 233, 0}, {35, 235, 0}, {36, 236, 0}};
    std::vector<uint8_t> global = bytesOf("F0 3E 16 07 14");
    for (int i = 5; i <= 37; ++i)
        global.push_back(static_cast<uint8_t>(i - 4));
    global.push_back(0xF7);
    editor->GetParam(kGlobalPolyId)->Set(9);
    editor->deviceInitialization = true;
    manager->patchRequested = true;
    quietly([&] { sendSysEx(global); });
    for (const auto& row : map)
        EXPECT_EQ(value(row[1]), row[0] - 4 + row[2]) << "byte " << row[0];
    EXPECT_EQ(std::vector<uint8_t>(editor->globalBytes, editor->globalBytes + zsysex::kGlobalDumpSize), global);
    EXPECT_EQ(std::pair(value(kGlobalPolyId), int(editor->currentDeviceId)), std::pair(9.0, 7));
    EXPECT_TRUE(manager->dataProcessed && !editor->deviceInitialization && !manager->patchRequested);
}

TEST_F(SysExDispatch, CompletedLibraryRequestStoresOnlyTheSoundDump)
{
    giveLibraryBank(7).patches.resize(60);
    manager->libraryRequest.clear();
    manager->libraryRequest.libraryRequestActive = true;
    auto dump = initDump();
    dump[134] = 3;
    sendSysEx(strayMessage());
    EXPECT_TRUE(manager->libraryRequest.libraryRequestActive);
    sendSysEx(dump);
    EXPECT_FALSE(manager->libraryRequest.libraryRequestActive);
    EXPECT_EQ(manager->libraryRequest.patch.messages.size(), 2u);
    const PatchFile& stored = *editor->patchLibrarian->bankFiles.back();
    ASSERT_EQ(stored.patches.size(), 100u);
    ASSERT_EQ(stored.patches[7].messages.size(), 1u);
    EXPECT_EQ(std::pair(stored.patches[7].messages[0].bytes, stored.patches[7].name),
        std::pair(dump, std::string("INIT          ")));
    EXPECT_TRUE(manager->dataProcessed && editor->currentDeviceId == 0);
}

TEST_F(SysExDispatch, DecodesDumpsOf135BytesOrMoreOfItsOwnModelAndDevicesUpTo15)
{
    // Dump size, a header byte and its value, whether the dump is decoded.
    const std::tuple<int, int, int, bool> cases[] = {
        {137, 3, 15, true}, {135, 3, 0, true}, {134, 3, 0, false}, {137, 3, 16, false}, {137, 2, 0x0B, false}};
    for (const auto& [size, byte, byteValue, decoded] : cases) {
        SCOPED_TRACE(testing::Message() << size << " bytes, byte " << byte << " = " << byteValue);
        SetUp();  // a fresh editor per case
        auto dump = initDump();
        dump[9] = 40, dump[byte] = static_cast<uint8_t>(byteValue);
        parseSound(std::vector<uint8_t>(dump.begin(), dump.begin() + size));
        // The checksum and F7 are never stored.
        EXPECT_EQ(std::tuple(value(kOscillator1Semitone), bool(manager->dataProcessed),
                      editor->uiConfig->patchData.size()),
            std::tuple(decoded ? 24 : 0, decoded, decoded ? 135u : 0u));
    }
}

TEST_F(SysExDispatch, NameAndCategoryReachTheDisplayTextsAndTheCurrentSound)
{
    // The name field and category byte; the current sound's name, the name display, the category word and value.
    const std::tuple<std::string, int, std::string, std::string, std::string, double> rows[] = {
        {"WOBBLEBAS     ", 3, "WOBBLEBAS     ", "WOBBLEBAS     ", "BASS", 3},
        {std::string(14, '\0'), 25, "Set Name", "", "NONE", 20}};
    for (const auto& [field, category, name, display, word, categoryValue] : rows) {
        auto dump = initDump();
        std::copy(field.begin(), field.end(), dump.begin() + 120);
        dump[134] = static_cast<uint8_t>(category);
        parseSound(dump);
        EXPECT_EQ(std::tuple(editor->currentSoundName(), editor->GetParam(kPatchName)->GetDisplayText(0),
                      editor->currentSoundCategory(), value(kCategoryName)),
            std::tuple(name, display, word, categoryValue));
    }
}

TEST(TapPatternCode, UnpacksThreeNumbersIntoBase24DigitsEachFromItsOwnBitsAndTheFlagByte)
{
    // Each number as five base-24 digits, each digit split into (mod 8, div 8).
    auto decoded = [](std::vector<unsigned char> code, size_t count) {
        char out[33];
        MIDIMessageManager::decodeTapPatternCode(code.data(), out);
        return std::vector<int>(out, out + count);
    };
    // N0 = 25 = 1 x 24 + 1; flag byte 127 gives 7, 3 (read as 0) and 3 x 8.
    EXPECT_EQ(decoded({25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 127}, 33),
        (std::vector<int> {0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            7, 0, 24}));
    // Byte 3: low two bits to N0 (3 x 2^21), the rest to N1 (1); byte 6: low four bits to N1 (5 x 2^19), the
    // rest to N2 (1); byte 9 = 127 makes N2's top digit exceed 24 and wrap. N0 = 6291456, N1 = 2621441, N2 = 16646145.
    EXPECT_EQ(decoded({0, 0, 0, 7, 0, 0, 21, 0, 0, 127, 0}, 30),
        (std::vector<int> {2, 2, 7, 2, 2, 0, 0, 2, 0, 0, 7, 0, 5, 2, 7, 1, 2, 0, 1, 2, 2, 0, 4, 0, 3, 0, 5, 1, 1, 1}));
}

// Containers only file and return the pointers, never dereference them: the last filed on a key wins, a miss reads
// nothing (0 for a sound byte) and never grows a map.
TEST(Containers, EntriesAreFoundWhereFiledReplacedOnTheSameKeyAndLookupsNeverGrowTheMaps)
{
    IControl* const first = reinterpret_cast<IControl*>(uintptr_t {0x1000});
    IControl* const second = reinterpret_cast<IControl*>(uintptr_t {0x2000});
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, first);
    SysExControlContainer sysex;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    sysex.addToControlMap(address, 0, first);
    sysex.addToControlMap(address, 0, second);
    NRPNControlContainer nrpn;
    nrpn.addToControlMap(1, 2, 3, 4, 0, first);
    patchDataContainer data;
    data.setValue(0, 0, 7, 12);
    data.setValue(0, 0, 7, 13);
    testing::internal::CaptureStdout();  // misses are logged
    EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x10, 0x00, 0), second);
    EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 0), first);
    for (int k = 0; k < 50; ++k) {
        EXPECT_EQ(cc.findControl(k, k, k) || sysex.findControl(0x58, 0x41, k, k, k) || nrpn.findControl(1, k, k, k, k),
            false);
        EXPECT_EQ(data.findControl(0, 0, k) + data.findControl(k, 0, 0), k == 7 ? 13 : 0);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cc.size() + sysex.size() + nrpn.size() + data.size(), 4u);
}
