// Preset records: reference counting and the array callbacks.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dfx/CFAUPreset.h"

namespace {

TEST(CFAUPreset, RetainAndReleaseMoveThePresetAndItsNameTogetherAndNullOrZeroCountPresetsAreLeftAlone)
{
    CFStringRef name = CFStringCreateWithCString(nullptr, "Bass", kCFStringEncodingUTF8);
    CFAUPresetRef preset = CFAUPresetCreate(nullptr, 3, name);
    CFRelease(name);
    ASSERT_NE(nullptr, preset);
    EXPECT_EQ(1, preset->retainCount);
    EXPECT_EQ(1, CFGetRetainCount(preset->auPreset.presetName));
    EXPECT_EQ(preset, CFAUPresetRetain(preset));
    EXPECT_EQ(2, preset->retainCount);
    EXPECT_EQ(2, CFGetRetainCount(preset->auPreset.presetName));
    CFAUPresetRelease(preset);
    EXPECT_EQ(1, CFGetRetainCount(preset->auPreset.presetName));
    CFAUPresetRelease(preset);  // freed; ASan checks nothing leaks or is touched later

    CFAUPresetRef unnamed = CFAUPresetCreate(nullptr, 0, nullptr);
    EXPECT_EQ(nullptr, unnamed->auPreset.presetName);
    CFAUPresetRelease(unnamed);
    EXPECT_EQ(nullptr, CFAUPresetRetain(nullptr));
    CFAUPresetRelease(nullptr);
    CFAUPreset onStack{{5, nullptr}, 0, nullptr, 0};
    CFAUPresetRelease(&onStack);
    EXPECT_EQ(0, onStack.retainCount);
}

int allocations = 0;
int deallocations = 0;
void* countingAllocate(CFIndex size, CFOptionFlags, void*)
{
    ++allocations;
    return std::malloc(static_cast<size_t>(size));
}
void countingDeallocate(void* ptr, void*)
{
    ++deallocations;
    std::free(ptr);
}
void* failingAllocate(CFIndex, CFOptionFlags, void*) { return nullptr; }

TEST(CFAUPreset, RecordComesFromAndReturnsToItsAllocator)
{
    CFAllocatorContext context{0, nullptr, countingAllocate, countingDeallocate};
    CFAllocatorRef allocator = CFAllocatorCreate(nullptr, &context);
    allocations = deallocations = 0;
    CFAUPresetRelease(CFAUPresetCreate(allocator, 1, CFSTR("Lead")));
    EXPECT_EQ(1, allocations);
    EXPECT_EQ(1, deallocations);

    CFAllocatorContext failing{0, nullptr, failingAllocate, nullptr};
    CFAllocatorRef empty = CFAllocatorCreate(nullptr, &failing);
    EXPECT_EQ(nullptr, CFAUPresetCreate(empty, 1, CFSTR("Lead")));
    CFRelease(empty);
    CFRelease(allocator);
}

TEST(CFAUPreset, ArrayOwnsItsPresetsAndComparesThemByNumberAndName)
{
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFAUPresetArrayCallBacks);
    CFAUPresetRef a = CFAUPresetCreate(nullptr, 1, CFSTR("Pad"));
    CFAUPresetRef b = CFAUPresetCreate(nullptr, 1, CFSTR("Pad"));
    CFAUPresetRef c = CFAUPresetCreate(nullptr, 2, CFSTR("Pad"));
    CFArrayAppendValue(array, a);
    EXPECT_EQ(2, a->retainCount);
    EXPECT_TRUE(CFArrayContainsValue(array, b));
    EXPECT_FALSE(CFArrayContainsValue(array, c));
    CFAUPresetRelease(a);
    CFAUPresetRelease(b);
    CFAUPresetRelease(c);
    EXPECT_EQ(1, a->retainCount);
    CFRelease(array);  // frees a
}

}  // namespace
