// Display texts change at run time (a received sound's name arrives on the
// MIDI input thread) while the main and host threads read them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "IParam.h"

namespace {
// Equal lengths, so a text read half-way through a change shows up as a mix.
const char* const kFirst = "WOBBLEBAS     ";
const char* const kSecond = "STRINGPAD 2   ";

bool IsWhole(const std::string& text)
{
    return text.empty() || text == kFirst || text == kSecond;
}
}  // namespace

TEST(Param, DisplayTextReplacedFromAnotherThreadIsNeverReadWhileFreed)
{
    constexpr int kWrites = 3000;
    IParam p;
    p.InitText();
    std::atomic<bool> writing{true};
    int broken = 0;

    std::thread reader([&] {
        int value = -1;
        char display[IParam::kDisplayForHostLength];
        while (writing.load()) {
            if (!IsWhole(p.GetDisplayText(0))) ++broken;
            if (!IsWhole(p.GetDisplayTextAtIdx(0, &value))) ++broken;
            p.GetDisplayForHost(0.0, false, display);
            if (std::string(display) != "0" && !IsWhole(display)) ++broken;
            if (p.MapDisplayText(kSecond, &value) && value != 0) ++broken;
            p.GetLabelForHost();
            p.GetNDisplayTexts();
        }
    });

    // Every reset gives the table's memory back, so the next write grows it again.
    for (int i = 0; i < kWrites; ++i) {
        if (i % 50 == 0) p.ResetDisplayTexts();
        p.SetDisplayText(0, i % 2 ? kSecond : kFirst);
    }
    writing.store(false);
    reader.join();

    EXPECT_EQ(broken, 0);
    EXPECT_EQ(p.GetDisplayText(0), kSecond);
    EXPECT_EQ(p.GetNDisplayTexts(), 1);
}
