#pragma once
// Stand-in for the Audio Unit Cocoa view factory protocol. A module offers a
// factory class by exporting, under the class's name, a C function that
// makes one instance (the host finds the name in the Cocoa-view property and
// "instantiates the class by name" with dlsym). The host deletes the object.

#include "platform/AudioUnit.h"

class AUCocoaUIBase {
public:
    virtual ~AUCocoaUIBase() = default;
    virtual unsigned interfaceVersion() = 0;
    // The view for unit (an NSView stand-in of the window back end), or null.
    // Main thread.
    virtual void* uiViewForAudioUnit(AudioUnit unit, Float32 width, Float32 height) = 0;
    // A description of the factory (the object's description).
    virtual const char* description() = 0;
};

// Signature of the exported class symbol.
typedef AUCocoaUIBase* (*AUCocoaUIClassMaker)();
