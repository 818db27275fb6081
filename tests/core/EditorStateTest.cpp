// The project-state chunk byte for byte from its tables, and the recall.
#include <cmath>
#include <cstring>

#include "EditorCoreSupport.h"
#include "MIDIMessageManager.h"
#include "MIDIMessageSender.h"
#include "PatchManager.h"

using namespace coretest;

namespace {

void f64(Bytes& out, double v)
{
    uint8_t bytes[8];
    std::memcpy(bytes, &v, 8);
    out.insert(out.end(), bytes, bytes + 8);
}

// A text: its length as four bytes, low byte first, then its characters.
void text(Bytes& out, const std::string& s)
{
    out.insert(out.end(), {static_cast<uint8_t>(s.size()), 0, 0, 0});
    out.insert(out.end(), s.begin(), s.end());
}

// Parameter i holds i % 100; parameters past 239 hold 7 (never stored).
double storedValue(int i)
{
    return i < 240 ? i % 100 : 7;
}

// The short form from its table: header 00 00 00 01 and the 240 stored values.
Bytes shortForm(double (*value)(int))
{
    Bytes out = hex("00 00 00 01");
    for (int i = 0; i < 240; ++i)
        f64(out, value(i));
    return out;
}

class EditorState : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<RecordingEditor>();
        plainRanges(*editor);
        for (int i = 0; i < kNumParams; ++i)
            editor->GetParam(i)->Set(storedValue(i));
        for (const auto& [device, port] :
             {std::pair<int, const char*> {kDeviceInSelection, "MIDIIN01"}, {kDeviceOutSelection, "MIDIOU01"}}) {
            editor->GetParam(device)->InitEnum("device", 0, 2);
            editor->GetParam(device)->SetDisplayText(0, "OFF");
            editor->GetParam(device)->SetDisplayText(1, port);
            editor->GetParam(device)->Set(1);
        }
        // A third input, so the two selections store apart (0.5 and 1.0).
        editor->GetParam(kDeviceInSelection)->SetDisplayText(2, "MIDIIN02");
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

    std::unique_ptr<RecordingEditor> editor;
    DataFolder folder;
};

}  // namespace

TEST_F(EditorState, ShortFormAndFullChunkFollowTheirTablesByteForByte)
{
    EXPECT_EQ(shortForm(storedValue), save(false));  // the header and parameters 0 to 239

    // The patch data is whatever the manager holds: here the short form of 0s.
    editor->patchManager->data.Clear();
    const Bytes data = shortForm([](int) { return 0.0; });
    editor->patchManager->data.PutBytes(data.data(), static_cast<int>(data.size()));

    // Header, two block headers and the patch data's length 1924, big-endian.
    Bytes expected = hex("00 00 00 01  00 00 00 01  00 00 00 01  00 00 07 84");
    expected.insert(expected.end(), data.begin(), data.end());
    for (const char* s : {"ABCDEFGH", "BASS1234", "THIRD123", "MIDIIN01", "MIDIOU01"})
        text(expected, s);
    for (double normalized : {0.5, 1.0, storedValue(kBankSelection) / 127.0, storedValue(kPatchSelection) / 127.0})
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
    const std::pair<std::string, std::string> names[] = {{"TWENTY-CHARACTERS-XX", "TWENTY-CHARAC"},
        {"PAD", std::string("PAD") + std::string(10, '\0')},
        {std::string("AB\0CD", 5), std::string("AB") + std::string(11, '\0')}};
    for (int i = 0; i < 3; ++i)
        editor->patchManager->texts[i] = names[i].first;
    editor->GetParam(kDeviceOutSelection)->SetDisplayText(1, std::string(40, 'x').c_str());
    editor->GetParam(kDeviceInSelection)->SetDisplayText(1, "");
    const Bytes saved = save();
    for (int i = 0; i < 3; ++i)
        editor->patchManager->texts[i] = "changed";
    ASSERT_EQ(static_cast<int>(saved.size()), load(saved));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(names[i].second, editor->patchManager->texts[i]) << i;
    EXPECT_EQ("Set Name", editor->patchManager->texts[PatchManager::kMidiInDevice]);
    EXPECT_EQ(std::string(32, 'x'), editor->patchManager->texts[PatchManager::kMidiOutDevice]);
}

TEST_F(EditorState, RecallRestoresTheStoredValuesAndDerivesTheFlagsFromThem)
{
    const std::pair<int, double> settings[] = {{kMIDIFilterDAWSEPassThrough, 1}, {kMIDIFilterHWNotePassThrough, 0},
        {kMIDIFilterToDAWBuffer, 1}, {kSendMIDIClockInfo, 1}, {kSendMIDIClockPointer, 2} /* only exactly 1 counts */,
        {kGlobalDeviceID, 5}, {kGlobalLocalControl, 1}, {kSectionLockFilter, 1}, {kAdjustDAWOffset, 10}};
    for (const auto& [param, v] : settings)
        editor->GetParam(param)->Set(v);
    editor->setCurrentSoundTexts("FAT BASS", "BASS");
    auto* releaseLocks = new ControlLayer(0, "releaseAllLocksLayer");
    releaseLocks->AddControl(new ProbeControl(editor.get(), -1));
    editor->GetGUI()->AttachLayer(releaseLocks);
    releaseLocks->GrayOut(true);
    const Bytes saved = save();
    for (int i = 0; i < 240; ++i)
        editor->GetParam(i)->Set(0);
    editor->setCurrentSoundTexts("OTHER", "LEAD");
    EXPECT_EQ(static_cast<int>(saved.size()), load(saved));
    EXPECT_DOUBLE_EQ(storedValue(17), editor->paramValue(17));
    // host SysEx passes, hardware notes are filtered, queued output, clock info, no clock pointer, local control,
    // a section locked with the release button usable
    EXPECT_EQ((std::vector<bool> {false, true, true, true, false, true, true, false}),
              (std::vector<bool> {editor->dawFilter[kFilterSysEx], editor->hwFilter[kFilterNotes], editor->toDAWBuffer,
                                  editor->sendClockInfo, editor->sendClockPointer, editor->localControl,
                                  editor->sectionLockActive, releaseLocks->GetControl(0)->IsGrayed()}));
    EXPECT_EQ(5, editor->currentDeviceId);
    EXPECT_EQ(2 * 10 + editor->GetBlockSize(), editor->dawOffset);
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
    EXPECT_FALSE(editor->midiOutSet || editor->patchLoading);
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
        SCOPED_TRACE(chunk.size());
        EXPECT_EQ(-1, load(chunk));
        EXPECT_EQ((std::vector<double> {99, 1}),
                  (std::vector<double> {editor->paramValue(17), editor->paramValue(kMainTab)}));
        EXPECT_EQ("current", editor->patchManager->texts[0]);
        EXPECT_TRUE(editor->midiOutSet && !editor->patchLoading);
        EXPECT_TRUE(editor->wire().empty());
    }
    Bytes longer = saved;
    longer.insert(longer.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(static_cast<int>(saved.size()), load(longer));
}
