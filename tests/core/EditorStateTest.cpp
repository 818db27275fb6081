// The project-state chunk byte for byte from its tables, and the recall.
#include <cmath>
#include <cstring>

#include "EditorCoreSupport.h"
#include "MIDIMessageManager.h"
#include "MIDIMessageSender.h"
#include "PatchManager.h"

using namespace coretest;

namespace {

void le32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void be32(Bytes& out, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void f64(Bytes& out, double v)
{
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    out.insert(out.end(), bytes, bytes + 8);
}

void text(Bytes& out, const std::string& s)
{
    le32(out, static_cast<uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

// Parameter i holds i % 100; parameters past 239 hold 7 (never stored).
double storedValue(int i)
{
    return i < 240 ? i % 100 : 7;
}

class EditorState : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<RecordingEditor>();
        plainRanges(*editor);
        for (int i = 0; i < kNumParams; ++i)
            editor->GetParam(i)->Set(storedValue(i));
        for (int device : {kDeviceInSelection, kDeviceOutSelection}) {
            editor->GetParam(device)->InitEnum("device", 0, 2);
            editor->GetParam(device)->SetDisplayText(0, "OFF");
        }
        editor->GetParam(kDeviceInSelection)->SetDisplayText(1, "MIDIIN01");
        editor->GetParam(kDeviceOutSelection)->SetDisplayText(1, "MIDIOU01");
        editor->GetParam(kDeviceInSelection)->Set(1);
        editor->GetParam(kDeviceOutSelection)->Set(1);
        editor->patchManager->texts[0] = "ABCDEFGH";
        editor->patchManager->texts[1] = "BASS1234";
        editor->patchManager->texts[2] = "THIRD123";
    }

    Bytes save(bool full = true)
    {
        ByteChunk chunk;
        EXPECT_TRUE(editor->SerializeState2(&chunk, full));
        return Bytes(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
    }

    int load(const Bytes& bytes)
    {
        ByteChunk chunk;
        chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
        int result = 0;
        quietly([&] { result = editor->UnserializeState(&chunk, 0); });
        return result;
    }

    // The short form from its table: header and the 240 stored values.
    static Bytes shortForm(double (*value)(int))
    {
        Bytes out;
        be32(out, 1);
        for (int i = 0; i < 240; ++i)
            f64(out, value(i));
        return out;
    }

    std::unique_ptr<RecordingEditor> editor;
    DataFolder folder;
};

}  // namespace

TEST_F(EditorState, ShortFormIsTheHeaderAndParameters0To239)
{
    const Bytes expected = shortForm(storedValue);
    EXPECT_EQ(1924u, expected.size());
    EXPECT_EQ(expected, save(false));
}

TEST_F(EditorState, FullChunkFollowsItsTableByteForByte)
{
    // The patch data is whatever the manager holds: here the short form of 0s.
    editor->patchManager->data.Clear();
    const Bytes data = shortForm([](int) { return 0.0; });
    editor->patchManager->data.PutBytes(data.data(), static_cast<int>(data.size()));

    Bytes expected;
    be32(expected, 1);      // header 00 00 00 01
    be32(expected, 1);      // block headers
    be32(expected, 1);
    be32(expected, 1924);   // 00 00 07 84, big-endian
    expected.insert(expected.end(), data.begin(), data.end());
    for (const char* s : {"ABCDEFGH", "BASS1234", "THIRD123", "MIDIIN01", "MIDIOU01"})
        text(expected, s);
    for (double normalized : {1.0, 1.0, storedValue(kBankSelection) / 127.0, storedValue(kPatchSelection) / 127.0})
        f64(expected, normalized);
    for (int i = 0; i < 240; ++i)
        f64(expected, storedValue(i));

    const Bytes saved = save();
    EXPECT_EQ(3952u, saved.size());
    EXPECT_EQ(expected, saved);
    EXPECT_EQ(saved, save());  // two saves without a change are identical
}

TEST_F(EditorState, TextsAreCutAtTheirLimitsAndNamesReadBackAs13Characters)
{
    struct Case {
        int index;
        std::string stored;
        std::string readBack;
    };
    const std::string long40(40, 'x');
    const Case cases[] = {
        {0, "TWENTY-CHARACTERS-XX", "TWENTY-CHARAC"},
        {1, "PAD", std::string("PAD") + std::string(10, '\0')},
        {2, std::string("AB\0CD", 5), std::string("AB") + std::string(11, '\0')},
    };
    for (const Case& c : cases)
        editor->patchManager->texts[c.index] = c.stored;
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(1, long40.c_str());
    editor->GetParam(kDeviceInSelection)->SetDisplayText(1, "");
    const Bytes saved = save();
    for (const Case& c : cases)
        editor->patchManager->texts[c.index] = "changed";
    ASSERT_EQ(static_cast<int>(saved.size()), load(saved));
    for (const Case& c : cases)
        EXPECT_EQ(c.readBack, editor->patchManager->texts[c.index]) << c.index;
    EXPECT_EQ("Set Name", editor->patchManager->texts[PatchManager::kMidiInDevice]);
    EXPECT_EQ(std::string(32, 'x'), editor->patchManager->texts[PatchManager::kMidiOutDevice]);
}

TEST_F(EditorState, RecallRestoresTheStoredValuesAndDerivesTheFlagsFromThem)
{
    editor->GetParam(kMIDIFilterDAWSEPassThrough)->Set(1.0);  // host SysEx passes
    editor->GetParam(kMIDIFilterHWNotePassThrough)->Set(0.0);
    editor->GetParam(kMIDIFilterToDAWBuffer)->Set(1.0);
    editor->GetParam(kSendMIDIClockInfo)->Set(1.0);
    editor->GetParam(kSendMIDIClockPointer)->Set(2.0);  // only exactly 1 counts
    editor->GetParam(kGlobalDeviceID)->Set(5);
    editor->GetParam(kGlobalLocalControl)->Set(1);
    editor->setCurrentSoundTexts("FAT BASS", "BASS");
    const Bytes saved = save();
    for (int i = 0; i < 240; ++i)
        editor->GetParam(i)->Set(0);
    editor->setCurrentSoundTexts("OTHER", "LEAD");
    EXPECT_EQ(static_cast<int>(saved.size()), load(saved));
    EXPECT_DOUBLE_EQ(storedValue(17), editor->paramValue(17));
    EXPECT_FALSE(editor->dawFilter[kFilterSysEx]);
    EXPECT_TRUE(editor->hwFilter[kFilterNotes]);
    EXPECT_TRUE(editor->toDAWBuffer);
    EXPECT_TRUE(editor->sendClockInfo);
    EXPECT_FALSE(editor->sendClockPointer);
    EXPECT_EQ(5, editor->currentDeviceId);
    EXPECT_TRUE(editor->localControl);
    EXPECT_EQ("FAT BASS", editor->currentSoundName());
    EXPECT_EQ("BASS", editor->currentSoundCategory());
    EXPECT_EQ("FAT BASS", editor->GetParam(kPatchName)->GetDisplayText(0));
    EXPECT_FALSE(editor->globalSettingsSent);
}

TEST_F(EditorState, AMissingOutputDeviceSendsNothingAndLeavesNoFlagSet)
{
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(1, "No Such Port 4711");
    const Bytes saved = save();
    editor->midiOutSet = true;  // what the old selection said; the port decides now
    EXPECT_EQ(static_cast<int>(saved.size()), load(saved));
    EXPECT_FALSE(editor->midiOutSet);
    EXPECT_FALSE(editor->patchLoading);
    EXPECT_EQ(0, editor->GetParam(kDeviceOutSelection)->Int());
    EXPECT_TRUE(editor->wire().empty());
}

TEST_F(EditorState, WithTheRequestThreadBusyTheSoundIsNotSentAndNothingWaitsForIt)
{
    const Bytes saved = save(false);  // the short form: the ports stay as they are
    editor->midiOutSet = true;
    ASSERT_TRUE(editor->midiMessageManager->sendActiveArrangementRequestSysex(true));  // polls for a reply
    ByteChunk chunk;
    chunk.PutBytes(saved.data(), static_cast<int>(saved.size()));
    int end = 0;
    quietly([&] { end = editor->UnserializeState2(&chunk, 0, false); });
    EXPECT_EQ(1924, end);
    EXPECT_FALSE(editor->patchLoading);
    EXPECT_EQ(4, editor->midiMessageManager->lastJob().code);  // the sound job was dropped
    editor->midiMessageManager->sender->cancelRequested = true;
}

TEST_F(EditorState, AChunkThatReadsShortOrHoldsNoNumberIsRefusedWithNoSideEffectAndBytesAfterOneAreIgnored)
{
    const Bytes saved = save();
    Bytes longLength = saved;
    longLength[12] = 0x7F;  // patch data longer than the chunk
    Bytes notANumber = saved;
    const double nan = std::nan("");
    std::memcpy(notANumber.data() + saved.size() - 8, &nan, 8);
    std::vector<Bytes> refused = {longLength, notANumber};
    for (size_t cut : {size_t(0), size_t(3), size_t(12), size_t(1939), saved.size() - 1921, saved.size() - 1})
        refused.emplace_back(saved.begin(), saved.begin() + static_cast<long>(cut));

    editor->GetParam(17)->Set(99);
    editor->GetParam(kMainTab)->Set(1);
    editor->patchManager->texts[0] = "current";
    editor->midiOutSet = true;
    for (const Bytes& chunk : refused) {
        EXPECT_EQ(-1, load(chunk)) << chunk.size();
        EXPECT_DOUBLE_EQ(99, editor->paramValue(17));
        EXPECT_DOUBLE_EQ(1, editor->paramValue(kMainTab));
        EXPECT_EQ("current", editor->patchManager->texts[0]);
        EXPECT_TRUE(editor->midiOutSet);
        EXPECT_FALSE(editor->patchLoading);
        EXPECT_TRUE(editor->wire().empty());
    }
    Bytes longer = saved;
    longer.insert(longer.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(static_cast<int>(saved.size()), load(longer));
}
