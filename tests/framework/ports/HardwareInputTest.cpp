// What arrives on the hardware input reaches the plug-in, on a private JACK
// server with the simulated Zelto 2.

#include "JackPortFixture.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <thread>

TEST_F(JackPortTest, ShortMessagesArriveFromHardwareAtOffsetZeroButClockAndActiveSensingNever)
{
    ConnectToSynth();
    for (const char* message : {"F8", "FE", "90 3C 64", "F8", "B1 4A 7F"})
        synth.Send(message);
    ASSERT_TRUE(plug->WaitForMidi(
        [&](const std::vector<ReceivedMidi>& all) { return AfterReady(all).size() >= 2; }, kGenerousTimeout));
    std::vector<ReceivedMidi> got = AfterReady(plug->Midi());
    got.insert(got.begin(), plug->Midi().at(0));  // the song position that proved the input, the fixture's first
    std::vector<std::vector<int>> fields;
    for (const ReceivedMidi& r : got)
        fields.push_back({r.msg.mStatus, r.msg.mData1, r.msg.mData2, r.msg.mOffset, r.fromHardware});
    EXPECT_EQ(fields, (std::vector<std::vector<int>> {{0xF2, 1, 0, 0, 1}, {0x90, 0x3C, 0x64, 0, 1},
                          {0xB1, 0x4A, 0x7F, 0, 1}}));
}

TEST_F(JackPortTest, FullInputQueueDropsWholeMessagesAndReportsEachLossOnce)
{
    // The note holds the input thread until the flood has overfilled the
    // queue between the library's thread and ours.
    std::promise<void> held, release;
    std::shared_future<void> released = release.get_future().share();
    plug->onMidi = [&](const IMidiMsg& msg) {
        if (msg.mStatus == 0x90) {
            held.set_value();
            released.wait();
        }
    };
    ConnectToSynth();
    plug->RecordLossReports();
    synth.Send("90 3C 64");
    ASSERT_EQ(held.get_future().wait_for(kGenerousTimeout), std::future_status::ready);
    // Dumps of 137 bytes until the queue's 128 KiB overflow (the synth's own output may lose some of them under
    // load, so the count is not fixed). Bytes 1 and 2 number the dump, every later data byte repeats byte 2.
    int sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
    while (plug->DroppedInput() == 0 && std::chrono::steady_clock::now() < deadline && sent < 128 * 128) {
        for (const int end = sent + 100; sent < end; ++sent) {
            char head[16], data[4];
            std::snprintf(head, sizeof head, "F0 %02X", sent / 128);
            std::snprintf(data, sizeof data, " %02X", sent % 128);
            std::string hex = head;
            for (int b = 2; b < 136; ++b)
                hex += data;
            synth.Send(hex + " F7");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    release.set_value();
    ASSERT_GT(plug->DroppedInput(), 0u);

    // Once a marker sent after the flood is through, no more can be lost;
    // the report of the last loss follows the delivery of what got in.
    // Counted by tune requests: the held note is recorded only now, too.
    auto markers = [](const std::vector<ReceivedMidi>& all) {
        return std::count_if(all.begin(), all.end(), [](const ReceivedMidi& r) { return r.msg.mStatus == 0xF6; });
    };
    const auto markersBefore = markers(plug->Midi());
    for (;;) {
        synth.Send("F6");
        if (plug->WaitForMidi([&](const std::vector<ReceivedMidi>& all) { return markers(all) > markersBefore; },
                std::chrono::milliseconds(500)))
            break;
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no marker got through";
    }
    const unsigned long dropped = plug->DroppedInput();
    EXPECT_EQ(plug->WaitForReportedLoss(dropped, kGenerousTimeout), dropped);

    const std::vector<std::vector<uint8_t>> dumps = plug->SysEx();
    EXPECT_LE(dumps.size() + dropped, static_cast<size_t>(sent));
    int previous = -1;
    for (const std::vector<uint8_t>& dump : dumps) {
        ASSERT_EQ(dump.size(), 137u);
        ASSERT_EQ(dump.back(), 0xF7);
        const int number = dump[1] * 128 + dump[2];
        EXPECT_GT(number, previous);
        previous = number;
        ASSERT_EQ(std::count(dump.begin() + 3, dump.end() - 1, dump[2]), 133) << "dump " << number;
    }
}
