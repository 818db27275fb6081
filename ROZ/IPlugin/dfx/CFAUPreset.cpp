#include "dfx/CFAUPreset.h"

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef presetName)
{
    auto* preset = static_cast<CFAUPresetRef>(CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0));
    if (!preset)
        return nullptr;
    preset->auPreset.presetNumber = presetNumber;
    preset->auPreset.presetName = presetName ? CFStringCreateCopy(allocator, presetName) : nullptr;
    preset->version = 0;
    preset->allocator = allocator;
    preset->retainCount = 1;
    return preset;
}

CFAUPresetRef CFAUPresetRetain(void* presetRef)
{
    auto* preset = static_cast<CFAUPresetRef>(presetRef);
    if (!preset)
        return nullptr;
    if (preset->auPreset.presetName)
        CFRetain(preset->auPreset.presetName);
    preset->retainCount += 1;
    return preset;
}

void CFAUPresetRelease(void* presetRef)
{
    auto* preset = static_cast<CFAUPresetRef>(presetRef);
    if (!preset || preset->retainCount < 1)
        return;
    if (preset->auPreset.presetName)
        CFRelease(preset->auPreset.presetName);
    preset->retainCount -= 1;
    if (preset->retainCount == 0) {
        preset->auPreset.presetName = nullptr;
        preset->auPreset.presetNumber = 0;
        CFAllocatorDeallocate(preset->allocator, preset);
    }
}

CFStringRef CFAUPresetCopyDescription(const void* presetRef)
{
    const auto* preset = static_cast<const CFAUPreset*>(presetRef);
    if (!preset)
        return nullptr;
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                    static_cast<int>(preset->auPreset.presetNumber), preset->auPreset.presetName);
}

Boolean CFAUPresetEqual(const void* preset1, const void* preset2)
{
    const auto* a = static_cast<const CFAUPreset*>(preset1);
    const auto* b = static_cast<const CFAUPreset*>(preset2);
    if (a == b)
        return true;
    if (!a || !b || a->auPreset.presetNumber != b->auPreset.presetNumber)
        return false;
    return CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

namespace {

const void* retainPreset(CFAllocatorRef, const void* preset) { return CFAUPresetRetain(const_cast<void*>(preset)); }
void releasePreset(CFAllocatorRef, const void* preset) { CFAUPresetRelease(const_cast<void*>(preset)); }

}  // namespace

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, retainPreset, releasePreset, CFAUPresetCopyDescription,
                                                    CFAUPresetEqual};

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks)
{
    if (callbacks)
        *callbacks = kCFAUPresetArrayCallBacks;
}
