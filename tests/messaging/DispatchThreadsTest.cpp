// The input thread decodes dumps while a worker polls the flags and reads the
// raw sound, as a request job does.
#include <thread>

#include "EditorFixture.h"

class DispatchThreads : public EditorFixture {};

TEST_F(DispatchThreads, PollingThreadSeesTheDumpTakenInWhileTheInputThreadDecodes)
{
    auto dump = initDump();
    std::thread worker([&] {
        for (int poll = 0; poll < 2000; ++poll) {
            if (editor->incomingSysExProcessed && manager->dataProcessed)
                EXPECT_GE(editor->getProgramValueByParts(0, 0, 9), 0);
            (void)editor->currentSoundName();
            (void)editor->currentDeviceId.load();
        }
    });
    testing::internal::CaptureStdout();
    for (int round = 0; round < 50; ++round) {
        dump[9] = static_cast<uint8_t>(round);
        manager->patchRequested = true;
        ISysEx msg(0, dump.data(), static_cast<int>(dump.size()));
        editor->ProcessSysEx(&msg, true);
    }
    testing::internal::GetCapturedStdout();
    worker.join();
    EXPECT_TRUE(editor->incomingSysExProcessed);
    EXPECT_EQ(editor->getProgramValueByParts(0, 0, 9), 49);
}
