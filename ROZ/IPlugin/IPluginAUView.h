#pragma once
// The view entries through which a host asks for the plug-in's window: the
// Cocoa view factory (a module exports one subclass under its class name)
// and the Carbon view record behind IPluginAU::IPluginAUCarbonViewEntry.
// Neither takes a lock; both run on the host's main thread.

#include "IPluginAU.h"
#include "platform/AUCocoaUIBase.h"

class IPluginAUCocoaViewFactory : public AUCocoaUIBase {
public:
    explicit IPluginAUCocoaViewFactory(const char* descriptionText) : mDescription(descriptionText) {}

    unsigned interfaceVersion() override { return 0; }
    // Reads the plug-in from unit's instance storage and keeps it; null
    // without a plug-in or a drawing surface. The requested size is ignored:
    // the surface has its own.
    void* uiViewForAudioUnit(AudioUnit unit, Float32 width, Float32 height) override;
    const char* description() override { return mDescription; }

    IPluginAU* mPlug = nullptr;

private:
    const char* mDescription;
};
