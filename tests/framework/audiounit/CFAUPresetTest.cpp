// Preset records: reference counting and the array callbacks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "dfx/CFAUPreset.h"

namespace {

int allocated = 0, freed = 0;

TEST(CFAUPreset, RetainAndReleaseMoveThePresetAndItsNameTogetherNullOrZeroCountPresetsAreLeftAloneAndTheAllocatorIsUsed)
{
    CFStringRef name = CFStringCreateWithCString(nullptr, "Bass", kCFStringEncodingUTF8);
    CFAUPresetRef preset = CFAUPresetCreate(nullptr, 3, name);
    CFRelease(name);
    ASSERT_NE(nullptr, preset);
    const auto counts = [&] { return std::pair(preset->retainCount, CFGetRetainCount(preset->auPreset.presetName)); };
    EXPECT_EQ((std::pair<CFIndex, CFIndex> {1, 1}), counts());
    EXPECT_EQ(preset, CFAUPresetRetain(preset));
    EXPECT_EQ((std::pair<CFIndex, CFIndex> {2, 2}), counts());
    CFAUPresetRelease(preset);
    EXPECT_EQ(1, CFGetRetainCount(preset->auPreset.presetName));
    CFAUPresetRelease(preset);  // freed; ASan checks nothing leaks or is touched later

    CFAUPresetRef unnamed = CFAUPresetCreate(nullptr, 0, nullptr);
    EXPECT_EQ(nullptr, unnamed->auPreset.presetName);
    CFAUPresetRelease(unnamed);
    EXPECT_EQ(nullptr, CFAUPresetRetain(nullptr));
    CFAUPresetRelease(nullptr);
    CFAUPreset onStack {{5, nullptr}, 0, nullptr, 0};
    CFAUPresetRelease(&onStack);
    EXPECT_EQ(0, onStack.retainCount);
    CFAllocatorContext counting {0, nullptr, [](CFIndex size, CFOptionFlags, void*) {
        return ++allocated, std::malloc(static_cast<size_t>(size)); }, [](void* ptr, void*) { ++freed, std::free(ptr); }};
    CFAllocatorContext failing {0, nullptr, [](CFIndex, CFOptionFlags, void*) -> void* { return nullptr; }, nullptr};
    CFAllocatorRef allocators[] = {CFAllocatorCreate(nullptr, &counting), CFAllocatorCreate(nullptr, &failing)};
    CFAUPresetRelease(CFAUPresetCreate(allocators[0], 1, CFSTR("Lead")));
    EXPECT_EQ((std::vector<intptr_t> {1, 1, 0}),
              (std::vector<intptr_t> {allocated, freed,
                                      reinterpret_cast<intptr_t>(CFAUPresetCreate(allocators[1], 1, CFSTR("Lead")))}));
    for (CFAllocatorRef allocator : allocators)
        CFRelease(allocator);
}

TEST(CFAUPreset, ArrayOwnsItsPresetsAndComparesThemByNumberAndName)
{
    CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFAUPresetArrayCallBacks);
    CFAUPresetRef presets[] = {CFAUPresetCreate(nullptr, 1, CFSTR("Pad")), CFAUPresetCreate(nullptr, 1, CFSTR("Pad")),
                               CFAUPresetCreate(nullptr, 2, CFSTR("Pad"))};
    CFArrayAppendValue(array, presets[0]);
    EXPECT_EQ((std::vector<long> {2, true, false}),
              (std::vector<long> {presets[0]->retainCount, CFArrayContainsValue(array, presets[1]),
                                  CFArrayContainsValue(array, presets[2])}));
    for (CFAUPresetRef preset : presets)
        CFAUPresetRelease(preset);
    EXPECT_EQ(1, presets[0]->retainCount);
    CFRelease(array);  // frees the first
}

}  // namespace
