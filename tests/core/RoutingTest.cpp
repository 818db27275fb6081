// Hardware output: the checksum rule in both framings, bank change timing,
// All Notes Off, the routing switch and the waits of a program step.
#include <numeric>

#include "CoreTestEditor.h"
#include "SysExProtocol.h"

namespace {

class Routing : public CoreTest {};

// A dump-sized message of the given length with bytes 1.. counting up.
Bytes countingMessage(int size, bool framed)
{
    Bytes bytes(static_cast<size_t>(size));
    std::iota(bytes.begin(), bytes.end(), uint8_t {0});
    for (uint8_t& byte : bytes)
        byte &= 0x7F;
    if (framed) {
        bytes.front() = 0xF0;
        bytes.back() = 0xF7;
    }
    return bytes;
}

int sumOf(const Bytes& bytes, int from, int to)
{
    return std::accumulate(bytes.begin() + from, bytes.begin() + to + 1, 0) % 128;
}

// A clock that reports each sleep and whether the sleeper held the plug-in mutex.
class WatchingClock : public dovor::SteppedClock {
public:
    void sleepMicroseconds(int64_t us) override
    {
        if (editor && editor->GetMutex()->IsOwnedByCurrentThread())
            ++sleepsUnderMutex;
        ++sleeps;
        SteppedClock::sleepMicroseconds(us);
    }
    Zelto2X* editor = nullptr;
    int sleeps = 0;
    int sleepsUnderMutex = 0;
};

}  // namespace

TEST_F(Routing, ChecksumCoversEverythingBetweenFrameAndChecksumFrom71Bytes)
{
    struct ChecksumCase {
        int size;
        bool framed;
        int checksumAt;  // -1: sent unchanged
        int from;
        int to;
    };
    const ChecksumCase cases[] = {
        {137, true, 135, 1, 134}, {135, false, 134, 0, 133}, {71, true, 69, 1, 68}, {71, false, 70, 0, 69},
        {70, true, -1, 0, 0}, {70, false, -1, 0, 0},
    };
    for (const ChecksumCase& c : cases) {
        editor->clearWire();
        Bytes message = countingMessage(c.size, c.framed);
        const Bytes original = message;
        quietly([&] { editor->checksumCheckAndSend(message.data(), c.size); });
        ASSERT_EQ(editor->wire().size(), 1u);
        const Bytes sent = editor->wire()[0];
        const Bytes body = c.framed ? sent : Bytes(sent.begin() + 1, sent.end() - 1);
        if (c.checksumAt < 0) {
            EXPECT_EQ(body, original) << c.size;
            continue;
        }
        EXPECT_EQ(body[static_cast<size_t>(c.checksumAt)], sumOf(original, c.from, c.to)) << c.size;
        EXPECT_EQ(message[static_cast<size_t>(c.checksumAt)], sumOf(original, c.from, c.to)) << "caller's buffer";
    }
}

TEST_F(Routing, FramedAndUnframedSoundDumpGetTheSameChecksum)
{
    Bytes framed(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    Bytes unframed(framed.begin() + 1, framed.end() - 1);
    framed[135] = 0;
    unframed[134] = 0;
    quietly([&] {
        editor->checksumCheckAndSend(framed.data(), 137);
        editor->checksumCheckAndSend(unframed.data(), 135);
    });
    EXPECT_EQ(framed[135], 0x29);  // bytes 1..134 of the INIT sound sum to 0x1029
    EXPECT_EQ(unframed[134], 0x29);
    EXPECT_EQ(editor->wire()[0], editor->wire()[1]);
}

TEST_F(Routing, BankChangeSendsNotesOffBankSelectAndProgramWithItsPauses)
{
    editor->GetParam(kCurrentPatch)->Set(42);
    editor->GetParam(kCurrentBank)->Set(3);
    editor->GetParam(kGlobalMidiChannel)->Set(5);
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(editor->BankChangeMessage());
    EXPECT_EQ(GetTickCount() - start, 100u);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB4, 123, 0}, {0xB4, 0, 0}, {0xB4, 32, 3}, {0xC4, 42}}));
    const std::vector<uint32_t> times = editor->times();
    EXPECT_EQ(times[1] - start, 0u);
    EXPECT_EQ(times[2] - start, 25u);
    EXPECT_EQ(times[3] - start, 50u);
    EXPECT_EQ(editor->currentProgram, 42);
}

TEST_F(Routing, BankChangeWithoutOutputStillPausesAndSendsNothing)
{
    editor->midiOutSet = false;
    const uint32_t start = GetTickCount();
    quietly([&] { editor->BankChangeMessage(); });
    EXPECT_EQ(GetTickCount() - start, 100u);
    EXPECT_TRUE(editor->wire().empty());
    EXPECT_EQ(nameLine->GetTextString(), "Set MIDI I/O First!");
}

TEST_F(Routing, NotesOffWaitsForTheDeviceEnquiry)
{
    editor->deviceInitialization = true;
    EXPECT_EQ(quietly([&] { editor->AllSoundsOff(); }),
        "Build LOG: \tAllSoundsOff() : Device Initialization in process, returning\n");
    editor->deviceInitialization = false;
    editor->AllSoundsOff();
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 123, 0}}));
}

TEST_F(Routing, NothingIsQueuedForTheHardwareWhileNoOutputIsOpen)
{
    editor->toDAWBuffer = true;
    editor->midiOutSet = false;
    IMidiMsg cc(0, 0xB0, 74, 10);
    quietly([&] { editor->MIDIOutRoutingSwitch(&cc); });
    editor->midiOutSet = true;
    editor->toDAWBuffer = false;
    IMidiMsg other(0, 0xB0, 74, 11);
    editor->MIDIOutRoutingSwitch(&other);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 74, 11}}));
    EXPECT_EQ(editor->midiQueue.ToDo(), 0);
}

TEST_F(Routing, SysExShorterThanThreeBytesIsDropped)
{
    const uint8_t bytes[] = {0xF0, 0x3E};
    ISysEx shortMessage(0, bytes, 2);
    ISysEx empty(0, nullptr, 0);
    EXPECT_EQ(quietly([&] {
        editor->ProcessSysEx(&shortMessage, true);
        editor->ProcessSysEx(&empty, false);
    }), "");
}

TEST_F(Routing, WholeSoundGoesBackAfterALockedProgramStepWithoutHoldingTheMutexAndWithinTheRequestTimeOut)
{
    WatchingClock watching;
    watching.editor = editor.get();
    dovor::SetVirtualClock(&watching);
    editor->sectionLockActive = true;
    editor->midiMessageManager->patchRequested = true;  // the dump never comes
    const uint32_t start = GetTickCount();
    {
        IMutexLock lock(editor.get());
        IMutexLock nested(editor.get());
        quietly([&] { editor->sendPartDataBackToHardware(); });
        EXPECT_TRUE(editor->GetMutex()->IsOwnedByCurrentThread());
    }
    EXPECT_GT(watching.sleeps, 1);
    EXPECT_EQ(watching.sleepsUnderMutex, 0);
    EXPECT_LE(GetTickCount() - start, 10200u);
    EXPECT_EQ(editor->midiMessageManager->lastJob().code, -1);  // no whole-sound job for a missing dump
    dovor::SetVirtualClock(&clock);
}
