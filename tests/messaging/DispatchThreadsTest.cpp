// The input threads decode dumps and control changes while another thread
// polls the flags and reads the raw sound, as a request job does.
#include <atomic>
#include <thread>

#include "EditorFixture.h"

class DispatchThreads : public EditorFixture {};

TEST_F(DispatchThreads, HardwareAndHostMessagesMayArriveWhileTheMainThreadReads)
{
    bindCc(kFilterCutoff, 0, 74, 0);
    bindCc(kFilterResonance, 1, 71, 1);
    editor->midiOutSet = true;
    std::atomic<int> running {2};
    auto dump = initDump();
    testing::internal::CaptureStdout();
    std::thread hardware([&] {
        for (int round = 0; round < 40; ++round) {
            dump[100] = static_cast<uint8_t>(round);
            manager->patchRequested = true;
            sendSysEx(dump);
            IMidiMsg cc(0, 0xB0, 74, static_cast<uint8_t>(round));
            manager->ProcessMidiMsgFromDevice(&cc);
        }
        --running;
    });
    std::thread host([&] {
        for (int round = 0; round < 40; ++round) {
            IMidiMsg cc(0, 0xB0, 71, static_cast<uint8_t>(round)), note(0, 0x90, 60, 100);
            manager->ProcessMidiMsgFromDAW(&cc, 0);
            manager->ProcessMidiMsgFromDAW(&note, 0);
        }
        --running;
    });
    while (running > 0) {
        if (editor->incomingSysExProcessed && manager->dataProcessed) {
            EXPECT_GE(editor->getProgramValueByParts(0, 0, 9), 0);
        }
        (void)editor->currentSoundName(), (void)editor->currentSoundCategory();
        (void)editor->currentDeviceId.load(), (void)editor->globalBytes[9].load();
        (void)manager->lastStepEvent.load(), (void)manager->suppressEcho.load();
        (void)value(kPatternStep04Event), (void)editor->getProgramValueByParts(0, 0, 100);
    }
    hardware.join();
    host.join();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(editor->getProgramValueByParts(0, 0, 100), 39);
    EXPECT_EQ(value(kFilterCutoff), 39) << "the hardware's last control change, after its last dump";
    EXPECT_TRUE(editor->incomingSysExProcessed);
    EXPECT_FALSE(manager->suppressEcho);
}

TEST_F(DispatchThreads, NewLibraryRequestMayBePreparedWhileALateReplyArrives)
{
    editor->patchLibrarian->bankFiles.push_back(std::make_unique<PatchFile>());
    editor->patchLibrarian->transferSlot = 0;
    std::atomic<bool> done {false};
    std::atomic<int> starts {0};
    std::thread starter([&] {
        for (; !done; ++starts) {
            manager->libraryRequest.clear();
            manager->libraryRequest.libraryRequestActive = true;
        }
    });
    while (starts == 0)
        std::this_thread::yield();
    const auto dump = initDump();
    testing::internal::CaptureStdout();
    // At least one dump arrives while a request is collecting.
    for (int round = 0; round < 100 || manager->dataProcessed == false; ++round) {
        sendSysEx(strayMessage());
        sendSysEx(dump);
    }
    done = true;
    starter.join();
    testing::internal::GetCapturedStdout();
    const PatchFile& bank = *editor->patchLibrarian->bankFiles[0];
    ASSERT_EQ(bank.patches.size(), 100u);
    for (const PatchSysexMessage& message : bank.patches[0].messages)
        EXPECT_EQ(message.bytes, dump);
}
