#include <algorithm>

#include "EditorFixture.h"

class SysExDispatch : public EditorFixture {};

TEST_F(SysExDispatch, RequestedSoundDumpIsDecodedItsDeviceAdoptedAndLockedSectionsKeepTheirValues)
{
    editor->GetParam(kSectionLockArp)->Set(1.0);
    editor->GetParam(kSectionLockFilter)->Set(0.99);
    editor->GetParam(kArpRange)->Set(9);
    auto dump = initDump();
    dump[3] = 5, dump[9] = 40, dump[44] = 2, dump[49] = 100;
    manager->patchRequested = true;
    quietly([&] { sendSysEx(dump); });
    EXPECT_EQ(value(kOscillator1Semitone), 24);
    EXPECT_EQ(value(kFilterCutoff), 100);
    EXPECT_EQ(value(kArpRange), 9);
    EXPECT_EQ(editor->getProgramValueByParts(0, 0, 44), 2) << "the raw bytes are stored even when locked";
    EXPECT_EQ(editor->currentDeviceId, 5);
    EXPECT_EQ(value(kGlobalDeviceID), 5);
    EXPECT_TRUE(manager->dataProcessed);
    EXPECT_TRUE(editor->incomingSysExProcessed);
}

TEST_F(SysExDispatch, UnrequestedEchoedShortForeignAndHostMessagesAreIgnored)
{
    auto dump = initDump();
    dump[3] = 5;
    quietly([&] { sendSysEx(dump); });  // not requested
    manager->patchRequested = true;
    sendSysEx({0xF0, 0x3E, 0x16, 0x09, 0x04, 0xF7});
    sendSysEx({0xF0, 0x3E, 0x16});
    sendSysEx({0xF0});
    auto foreign = initDump();
    foreign[1] = 0x41;
    EXPECT_NE(quietly([&] { sendSysEx(foreign); }).find("This is not the data we are expecting!\n"),
        std::string::npos);
    EXPECT_EQ(quietly([&] { sendSysEx(initDump(), false); }),
        "Build LOG: \t\tData from DAW filtered, returning. incomingSysExProcessed = true\n");
    EXPECT_EQ(editor->currentDeviceId, 0);
    EXPECT_FALSE(manager->dataProcessed);
}

TEST_F(SysExDispatch, SingleParameterMessageKeepsTheDeviceIdAndOtherShortMessagesAdoptTheirs)
{
    TestControl* control = bindSysEx(kFilterCutoff, 0x10, 0x00);
    editor->currentDeviceId = 3;
    quietly([&] { sendSysEx({0xF0, 0x3E, 0x16, 0x58, 0x41, 0x10, 0x00, 0x40, 0x00, 0xF7}); });
    ASSERT_EQ(control->moves.size(), 1u);
    EXPECT_DOUBLE_EQ(control->moves[0], 64.0 / 127.0);
    EXPECT_EQ(editor->currentDeviceId, 3);
    sendSysEx({0xF0, 0x3E, 0x16, 0x58, 0x41, 0x10, 0x00, 0x40, 0x00, 0x00, 0xF7});  // one byte too long
    EXPECT_EQ(control->moves.size(), 1u);
    EXPECT_EQ(editor->currentDeviceId, 3);

    sendSysEx({0xF0, 0x3E, 0x16, 0x05, 0x00, 0x00, 0x1E, 0xF7});
    EXPECT_EQ(editor->currentDeviceId, 5);
    EXPECT_EQ(editor->currentDeviceId2, 5);
    EXPECT_EQ(value(kGlobalDeviceID), 5);
}

TEST_F(SysExDispatch, SingleParameterAddressDecidesEchoAndTabRefresh)
{
    struct Row {
        uint8_t b5, b6;
        bool quiet, refreshesTab;
    };
    const Row rows[] = {
        {0x00, 0x02, true, true}, {0x29, 0x00, true, true}, {0x6B, 0x00, true, true},
        {0x70, 0x00, true, true}, {0x7B, 0x01, true, true}, {0x10, 0x00, true, false},
        {0x7B, 0x00, false, false}, {0x29, 0x01, false, false}, {0x11, 0x00, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(row.b5) << " " << int(row.b6));
        TestControl* control = bindSysEx(kFilterCutoff, row.b5, row.b6);
        control->echoFlag = &manager->suppressEcho;
        editor->hardwareChanges.clear();
        quietly([&] { sendSysEx({0xF0, 0x3E, 0x16, 0x58, 0x41, row.b5, row.b6, 0x40, 0x00, 0xF7}); });
        ASSERT_EQ(control->echoSuppressed.size(), 1u);
        EXPECT_EQ(control->echoSuppressed[0], row.quiet);
        const bool refreshed = std::count(editor->hardwareChanges.begin(), editor->hardwareChanges.end(), kMainTab) > 0;
        EXPECT_EQ(refreshed, row.refreshesTab);
        EXPECT_FALSE(manager->suppressEcho);
    }
}

TEST_F(SysExDispatch, SingleParameterHelpersMoveTheControlOrReportItMissing)
{
    TestControl* control = bindSysEx(kVolume, 0x20, 0x01);
    manager->patchRequested = true;
    manager->getNormalControl(0x58, 0x41, 0x20, 0x01, 127, true);
    ASSERT_EQ(control->moves.size(), 1u);
    EXPECT_DOUBLE_EQ(control->moves[0], 1.0);
    EXPECT_FALSE(manager->patchRequested);
    EXPECT_FALSE(manager->suppressEcho);
    quietly([&] { manager->getNormalControl(0x58, 0x41, 0x7F, 0x7F, 1, false); });
    EXPECT_TRUE(manager->controlNotFound);
    manager->processSysExToUI(nullptr, 3, true, false, true);
    EXPECT_EQ(control->moves.size(), 1u);
}

TEST_F(SysExDispatch, GlobalDumpWhileTheGlobalRequestWaitsSetsEveryDocumentedParameter)
{
    // byte -> parameter index and the offset of its decode rule
    const int map[][3] = {
        {5, 216, -54}, {6, 219, -40}, {7, 220, 0}, {8, 93, 0}, {9, 218, 0}, {10, 217, 0}, {11, 221, 0},
        {12, 94, 0}, {13, 222, 0}, {14, 223, 0}, {15, 224, 0}, {16, 225, 0}, {17, 234, 0}, {18, 237, 0},
        {19, 228, 0}, {20, 229, 0}, {21, 230, 0}, {22, 231, 0}, {23, 232, 0}, {24, 233, 0},
        {35, 235, 0}, {36, 236, 0},
    };
    std::vector<uint8_t> global(zsysex::kGlobalDumpSize, 0);
    for (int i = 5; i <= 37; ++i)
        global[i] = static_cast<uint8_t>(i - 4);
    global[0] = 0xF0, global[1] = 0x3E, global[2] = 0x16, global[3] = 0x07, global[4] = 0x14, global[38] = 0xF7;
    editor->GetParam(kGlobalPolyId)->Set(9);
    editor->deviceInitialization = true;
    manager->patchRequested = true;
    quietly([&] { sendSysEx(global); });
    for (const auto& row : map)
        EXPECT_EQ(value(row[1]), row[0] - 4 + row[2]) << "byte " << row[0];
    EXPECT_EQ(value(kGlobalPolyId), 9);
    for (int i = 0; i < zsysex::kGlobalDumpSize; ++i)
        EXPECT_EQ(editor->globalBytes[i], global[i]) << "byte " << i;
    EXPECT_EQ(editor->currentDeviceId, 7);
    EXPECT_TRUE(manager->dataProcessed);
    EXPECT_FALSE(editor->deviceInitialization);
    EXPECT_FALSE(manager->patchRequested);
}

TEST_F(SysExDispatch, CompletedLibraryRequestStoresOnlyTheSoundDump)
{
    auto bank = std::make_unique<PatchFile>();
    bank->patches.resize(60);
    editor->patchLibrarian->bankFiles.push_back(std::move(bank));
    editor->patchLibrarian->transferSlot = 7;
    manager->libraryRequest.clear();
    manager->libraryRequest.libraryRequestActive = true;
    std::vector<uint8_t> stray(20, 0);
    stray[0] = 0xF0, stray[1] = 0x3E, stray[2] = 0x16, stray[19] = 0xF7;
    auto dump = initDump();
    dump[134] = 3;
    sendSysEx(stray);
    EXPECT_TRUE(manager->libraryRequest.libraryRequestActive);
    sendSysEx(dump);
    EXPECT_FALSE(manager->libraryRequest.libraryRequestActive);
    EXPECT_EQ(manager->libraryRequest.patch.messages.size(), 2u);
    const PatchFile& stored = *editor->patchLibrarian->bankFiles[0];
    ASSERT_EQ(stored.patches.size(), 100u);
    ASSERT_EQ(stored.patches[7].messages.size(), 1u);
    EXPECT_EQ(stored.patches[7].messages[0].bytes, dump);
    EXPECT_EQ(stored.patches[7].name, "INIT          ");
    EXPECT_TRUE(manager->dataProcessed);
    EXPECT_EQ(editor->currentDeviceId, 0);
}

class SoundDecoder : public EditorFixture {
protected:
    void parse(const std::vector<uint8_t>& bytes)
    {
        ISysEx msg(0, bytes.data(), static_cast<int>(bytes.size()));
        quietly([&] { manager->sysexPartPatchParse(&msg); });
    }
};

TEST_F(SoundDecoder, DecodesDumpsOf135BytesOrMoreOfItsOwnModelAndDevicesUpTo15)
{
    struct Case {
        int size, byte, value;
        bool decoded;
    };
    const Case cases[] = {
        {137, 3, 15, true}, {135, 3, 0, true}, {134, 3, 0, false}, {137, 3, 16, false}, {137, 2, 0x0B, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, byte " << c.byte << " = " << c.value);
        SetUp();  // a fresh editor per case
        auto dump = initDump();
        dump[9] = 40;
        dump[c.byte] = static_cast<uint8_t>(c.value);
        parse(std::vector<uint8_t>(dump.begin(), dump.begin() + c.size));
        EXPECT_EQ(value(kOscillator1Semitone), c.decoded ? 24 : 0);
        EXPECT_EQ(manager->dataProcessed, c.decoded);
        // The checksum and F7 are never stored.
        EXPECT_EQ(editor->uiConfig->patchData.size(), c.decoded ? 135u : 0u);
    }
}

TEST_F(SoundDecoder, NameAndCategoryReachTheDisplayTextsAndTheCurrentSound)
{
    auto dump = initDump();
    const char name[14] = {'W', 'O', 'B', 'B', 'L', 'E', 'B', 'A', 'S', ' ', ' ', ' ', ' ', ' '};
    std::copy(name, name + 14, dump.begin() + 120);
    dump[134] = 3;
    parse(dump);
    EXPECT_EQ(editor->currentSoundName(), "WOBBLEBAS     ");
    EXPECT_EQ(editor->currentSoundCategory(), "BASS");
    EXPECT_EQ(editor->GetParam(kPatchName)->GetDisplayText(0), "WOBBLEBAS     ");
    EXPECT_EQ(value(kCategoryName), 3);

    std::fill(dump.begin() + 120, dump.begin() + 134, 0);
    dump[134] = 25;
    parse(dump);
    EXPECT_EQ(editor->currentSoundName(), "Set Name");
    EXPECT_EQ(editor->GetParam(kPatchName)->GetDisplayText(0), "");
    EXPECT_EQ(editor->currentSoundCategory(), "NONE");
    EXPECT_EQ(value(kCategoryName), 20);
}

TEST(TapPatternCode, UnpacksThreeNumbersIntoBase24DigitsEachFromItsOwnBitsAndTheFlagByte)
{
    unsigned char code[11] = {};
    code[0] = 25;  // N0 = 25 = 1 x 24 + 1
    code[10] = 127;
    char out[33];
    MIDIMessageManager::decodeTapPatternCode(code, out);
    const char first[33] = {0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 7, 0 /* 3 reads as 0 */, 24};
    EXPECT_EQ(std::vector<char>(out, out + 33), std::vector<char>(first, first + 33));

    std::fill(code, code + 11, 0);
    code[3] = 7;    // low two bits to N0 (3 x 2^21), the rest to N1 (1)
    code[6] = 21;   // low four bits to N1 (5 x 2^19), the rest to N2 (1)
    code[9] = 127;  // N2's top digit exceeds 24 and wraps
    MIDIMessageManager::decodeTapPatternCode(code, out);
    // N0 = 6291456, N1 = 2621441, N2 = 16646145 as base-24 digits, each split into (mod 8, div 8).
    const char expected[30] = {2, 2, 7, 2, 2, 0, 0, 2, 0, 0, 7, 0, 5, 2, 7, 1, 2, 0, 1, 2, 2, 0, 4, 0, 3, 0, 5, 1, 1, 1};
    EXPECT_EQ(std::vector<char>(out, out + 30), std::vector<char>(expected, expected + 30));
}
