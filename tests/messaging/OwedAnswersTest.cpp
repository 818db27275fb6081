// The ledger of sound dumps the synth still owes: one answer per message a
// request sent to a device, the rest of an answered request owed by the
// device that answered, and the two forms an address may read in, at the
// edges of the five banks.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "OwedAnswers.h"

namespace {

// Each dump in turn: whether the ledger took it as owed.
std::vector<bool> owedOf(OwedAnswers& ledger, std::initializer_list<std::array<int, 3>> dumps)
{
    std::vector<bool> owed;
    for (const auto& [device, high, low] : dumps)
        owed.push_back(ledger.takesOwedAnswer(device, high, low));
    return owed;
}

TEST(OwedAnswers, EveryMessageLeftUnansweredIsOwedByItsDeviceAndAnAnsweringDeviceOwesOnlyTheRest)
{
    OwedAnswers ledger;
    ledger.beginRequest(0, 10);  // asked of device 0, the search asking 0 and 1 again: nobody answers
    for (int device : {0, 0, 1})
        ledger.requestSent(device);
    ledger.endRequest();
    ledger.beginRequest(0, 20);  // asked of 3 and found at 5, then asked of 5 once more
    for (int device : {3, 5, 5})
        ledger.requestSent(device);
    EXPECT_FALSE(ledger.takesOwedAnswer(5, 0, 20));
    ledger.endRequest();
    EXPECT_EQ((std::vector<bool> {true, true, false, true, false, false, true, false}),
        owedOf(ledger, {{0, 0, 10}, {0, 0, 10}, {0, 0, 10}, {1, 0, 10}, {2, 0, 10}, {3, 0, 20}, {5, 0, 20}, {5, 0, 20}}));
}

// Whatever address its dump carries, the edit buffer's request took its own answer: nothing it sent stays owed.
TEST(OwedAnswers, TheEditBuffersRequestOwesNothingOnceItTookADumpOfAnyAddress)
{
    OwedAnswers ledger;
    ledger.beginRequest(-1, 0);
    ledger.requestSent(0);
    EXPECT_FALSE(ledger.takesOwedAnswer(0, 0, 5));
    ledger.endRequest();
    EXPECT_EQ((std::vector<bool> {false, false}), owedOf(ledger, {{0, 0x7F, 0}, {0, 0, 5}}));
}

TEST(OwedAnswersAddress, EachSlotIsReadInBothFormsToTheLastOfTheFifthBankAndNothingBeyond)
{
    const struct {
        int bank, program;
        std::array<int, 2> slotForm, bankProgramForm;
    } slots[] = {{0, 99, {0, 99}, {0, 99}}, {1, 0, {0, 100}, {1, 0}}, {1, 27, {0, 127}, {1, 27}},
        {1, 28, {1, 0}, {1, 28}}, {4, 99, {3, 115}, {4, 99}}};
    for (const auto& s : slots)
        for (const auto& address : {s.slotForm, s.bankProgramForm}) {
            OwedAnswers ledger;
            ledger.beginRequest(s.bank, s.program);
            ledger.requestSent(0);
            ledger.endRequest();
            EXPECT_TRUE(ledger.takesOwedAnswer(0, address[0], address[1])) << s.bank << "/" << s.program;
        }
    OwedAnswers ledger;
    ledger.beginRequest(-1, 0);
    ledger.requestSent(0);
    ledger.endRequest();
    EXPECT_EQ((std::vector<bool> {false, false, false, true}),
        owedOf(ledger, {{0, 3, 116}, {0, 4, 100}, {0, 0x7F, 1}, {0, 0x7F, 0}}));
}

}  // namespace
