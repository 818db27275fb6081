// MIDI in and out of the editor: the drop rules for incoming messages, the checksum rule in both framings, bank change
// timing, All Notes Off, the routing switch and the waits of a program step.
#include <numeric>

#include "EditorCoreSupport.h"

using Routing = CoreTest;

namespace {

// A clock that reports each sleep and whether the sleeper held the plug-in mutex.
class WatchingClock : public dovor::SteppedClock {
public:
    void sleepMicroseconds(int64_t us) override
    {
        sleepsUnderMutex += editor && editor->GetMutex()->IsOwnedByCurrentThread();
        ++sleeps;
        SteppedClock::sleepMicroseconds(us);
    }
    Zelto2X* editor = nullptr;
    int sleeps = 0;
    int sleepsUnderMutex = 0;
};

}  // namespace

TEST_F(Routing, ShortMessagesAreDroppedWhileLoadingAwaitingADumpOrUnderLocalControl)
{
    struct Case {
        const char* name;
        bool loading, requested, local, fromHardware;
        uint8_t status;
        bool forwarded;
    } const cases[] = {
        {"host note", false, false, false, false, 0x90, true},
        {"while a sound loads", true, false, false, false, 0x90, false},
        {"while a dump is awaited", false, true, false, false, 0x90, false},
        {"hardware clock", false, false, false, true, 0xF8, false},
        {"hardware note under local control", false, false, true, true, 0x90, false},
        {"host note under local control", false, false, true, false, 0x90, true},
        {"hardware note", false, false, false, true, 0x90, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor->clearWire();
        editor->patchLoading = c.loading;
        editor->midiMessageManager->patchRequested = c.requested;
        editor->localControl = c.local;
        IMidiMsg msg(0, c.status, 60, 100);
        quietly([&] { editor->ProcessMidiMsg(&msg, c.fromHardware); });
        EXPECT_EQ(editor->wire().size(), c.forwarded ? 1u : 0u);
    }
}

TEST_F(Routing, SysExIsDroppedWhileLoadingByTheHardwareFilterAndWhenShorterThanThreeBytes)
{
    Bytes dump = initDump();
    ISysEx msg(0, dump.data(), 137);
    const std::tuple<bool, bool, bool> cases[] = {{true, false, false}, {false, true, false}, {false, false, true}};
    for (const auto& [loading, filtered, processed] : cases) {
        editor->incomingSysExProcessed = false;
        editor->midiMessageManager->patchRequested = true;  // the dump is awaited
        editor->patchLoading = loading;
        editor->hwFilter[kFilterSysEx] = filtered;
        quietly([&] { editor->ProcessSysEx(&msg, true); });
        EXPECT_EQ(editor->incomingSysExProcessed, processed) << loading << filtered;
    }
    const uint8_t bytes[] = {0xF0, 0x3E};
    ISysEx shortMessage(0, bytes, 2), empty(0, nullptr, 0);
    EXPECT_EQ("", quietly([&] {
        editor->ProcessSysEx(&shortMessage, true);
        editor->ProcessSysEx(&empty, false);
    }));
}

TEST_F(Routing, ChecksumCoversEverythingBetweenFrameAndChecksumFrom71BytesAndNothingGoesOutWithoutAnOutput)
{
    struct Case {
        int size;
        bool framed;
        int checksumAt;  // -1: sent unchanged
        int from, to;
    } const cases[] = {{137, true, 135, 1, 134}, {135, false, 134, 0, 133}, {71, true, 69, 1, 68},
                       {71, false, 70, 0, 69}, {70, true, -1, 0, 0}, {70, false, -1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.framed ? " framed" : ""));
        editor->clearWire();
        Bytes message(static_cast<size_t>(c.size));
        std::iota(message.begin(), message.end(), uint8_t {0});
        for (uint8_t& byte : message)
            byte &= 0x7F;
        if (c.framed)
            message.front() = 0xF0, message.back() = 0xF7;
        const Bytes original = message;
        quietly([&] { editor->checksumCheckAndSend(message.data(), c.size); });
        ASSERT_EQ(editor->wire().size(), 1u);
        const Bytes sent = editor->wire()[0];
        const Bytes body = c.framed ? sent : Bytes(sent.begin() + 1, sent.end() - 1);
        const int sum = std::accumulate(original.begin() + c.from, original.begin() + c.to + 1, 0) % 128;
        EXPECT_EQ(body, c.checksumAt < 0 ? original : body);
        if (c.checksumAt >= 0) {
            EXPECT_EQ(body[static_cast<size_t>(c.checksumAt)], sum);
            EXPECT_EQ(message[static_cast<size_t>(c.checksumAt)], sum) << "caller's buffer";
        }
    }
    editor->clearWire();
    editor->midiOutSet = false;
    Bytes framed = initDump();
    quietly([&] { editor->checksumCheckAndSend(framed.data(), 137); });
    EXPECT_TRUE(editor->wire().empty());
}

TEST_F(Routing, BankChangeSendsNotesOffBankSelectAndProgramWithItsPausesAlsoWithoutOutputAndAHostProgramChangeIsCapped)
{
    editor->GetParam(kCurrentPatch)->Set(42);
    editor->GetParam(kCurrentBank)->Set(3);
    editor->GetParam(kGlobalMidiChannel)->Set(5);
    uint32_t start = GetTickCount();
    EXPECT_TRUE(editor->BankChangeMessage());
    EXPECT_EQ(GetTickCount() - start, 100u);
    EXPECT_EQ("B4 7B 00 | B4 00 00 | B4 20 03 | C4 2A", editor->wireHex());
    const std::vector<uint32_t> times = editor->times();
    EXPECT_EQ((std::vector<uint32_t> {0, 25, 50}),
              (std::vector<uint32_t> {times[1] - start, times[2] - start, times[3] - start}));
    EXPECT_EQ(editor->currentProgram, 42);

    editor->clearWire();
    editor->midiOutSet = false;
    start = GetTickCount();
    quietly([&] { editor->BankChangeMessage(); });
    EXPECT_EQ(GetTickCount() - start, 100u);
    EXPECT_TRUE(editor->wire().empty());
    EXPECT_EQ(nameLine->GetTextString(), "Set MIDI I/O First!");

    // A host program change goes out capped at 100 and requests the sound.
    editor->midiOutSet = true;
    editor->GetParam(kGlobalMidiChannel)->Set(1);
    IMidiMsg program(0, 0xC4, 101, 0);
    quietly([&] { editor->ProcessMidiMsg(&program, false); });
    EXPECT_EQ("C0 64", editor->wireHex().substr(0, 5));
    EXPECT_EQ(5, editor->midiMessageManager->lastJob().code);
    EXPECT_EQ(100, editor->midiMessageManager->lastJob().program);
}

TEST_F(Routing, RoutingSwitchQueuesForTheAudioThreadOnlyWhileAnOutputIsOpenAndNotesOffWaitForTheDeviceEnquiry)
{
    editor->toDAWBuffer = true;
    IMidiMsg cc(0, 0xB0, 74, 10), other(0, 0xB0, 74, 11);
    for (bool output : {false, true}) {
        editor->midiOutSet = output;
        quietly([&] { editor->MIDIOutRoutingSwitch(&cc); });
        EXPECT_EQ(editor->midiQueue.ToDo(), output ? 1 : 0);
    }
    editor->toDAWBuffer = false;
    editor->MIDIOutRoutingSwitch(&other);
    editor->deviceInitialization = true;
    quietly([&] { editor->AllSoundsOff(); });
    EXPECT_EQ("B0 4A 0B", editor->wireHex());
    editor->deviceInitialization = false;
    editor->AllSoundsOff();
    EXPECT_EQ("B0 4A 0B | B0 7B 00", editor->wireHex());
}

// While the LED shows outgoing traffic, a short message sent on the device channel lights it; one on another channel,
// or any while the LED shows incoming traffic, does not.
TEST_F(Routing, AShortMessageSentOnTheDeviceChannelLightsTheLedWhileOutgoingTrafficIsShown)
{
    editor->GetParam(kGlobalMidiChannel)->Set(5);
    const struct {
        bool trackIncoming;
        uint8_t status;
        int lit;
    } cases[] = {{false, 0xB4, 1}, {false, 0xB0, 0}, {true, 0xB4, 0}};
    for (const auto& c : cases) {
        editor->midiLedOn = 0;
        editor->GetParam(kMIDILed)->Set(0.0);
        editor->trackIncomingMIDI = c.trackIncoming;
        IMidiMsg msg(0, c.status, 74, 10);
        editor->sendMidiMsgAndLog(&msg);
        EXPECT_EQ(c.lit, editor->midiLedOn) << std::hex << int(c.status) << " " << c.trackIncoming;
        EXPECT_EQ(c.lit, editor->paramValue(kMIDILed)) << std::hex << int(c.status) << " " << c.trackIncoming;
    }
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
