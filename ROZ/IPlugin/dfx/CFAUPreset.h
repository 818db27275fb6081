#pragma once
// A reference-counted Audio Unit preset value, and the array callbacks that
// let a Core Foundation array own such values (the factory-presets list
// handed to the host).
//
// Counts are plain integers: a preset is retained and released by the thread
// that holds the array it lives in.

#include "platform/AudioUnit.h"

struct CFAUPreset {
    AUPreset auPreset;
    UInt32 version;
    CFAllocatorRef allocator;
    CFIndex retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

// A new preset with count 1 and an immutable copy of name (null stays null);
// null when the allocator gives no memory.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef presetName);
// Null passes through; otherwise the preset and its name gain one reference.
CFAUPresetRef CFAUPresetRetain(void* preset);
// Nothing for null or a count below 1; otherwise the preset and its name lose
// one reference, and at 0 the record goes back to its allocator.
void CFAUPresetRelease(void* preset);
CFStringRef CFAUPresetCopyDescription(const void* preset);
Boolean CFAUPresetEqual(const void* preset1, const void* preset2);

extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
// Fills callbacks as kCFAUPresetArrayCallBacks is filled; nothing for null.
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks);
