// View entries: the Carbon view component and the Cocoa view factory. The
// window itself comes from the plug-in's drawing surface (IGraphics::OpenWindow).
#include "IPluginAUView.h"

#include "IGraphics.h"

namespace {

struct CarbonViewRecord {
    ComponentInstance mViewInstance;
    IPluginAU* mPlug;
};

// The plug-in kept in an Audio Unit's storage, when it is still alive.
IPluginAU* livePlugOf(AudioUnit unit)
{
    auto* plug = static_cast<IPluginAU*>(GetComponentInstanceStorage(unit));
    return IPluginAU::IsLivePlug(plug) ? plug : nullptr;
}

}  // namespace

void* IPluginAU::OpenCocoaView()
{
    IGraphics* graphics = GetGUI();
    return graphics ? graphics->OpenWindow(nullptr) : nullptr;
}

void* IPluginAUCocoaViewFactory::uiViewForAudioUnit(AudioUnit unit, Float32, Float32)
{
    mPlug = livePlugOf(unit);
    return mPlug ? mPlug->OpenCocoaView() : nullptr;
}

ComponentResult IPluginAU::IPluginAUCarbonViewEntry(ComponentParameters* params, void* viewRecord)
{
    if (!params)
        return badComponentSelector;
    auto* record = static_cast<CarbonViewRecord*>(viewRecord);
    switch (params->what) {
    case kComponentOpenSelect: {
        const auto* args = static_cast<const ComponentOpenCloseParams*>(params->params);
        if (!args || !args->self)
            return badComponentInstance;
        SetComponentInstanceStorage(args->self, new CarbonViewRecord{args->self, nullptr});
        return noErr;
    }
    case kComponentCloseSelect:
        // The host may have closed the Audio Unit first; only a live plug-in is touched.
        if (record && IsLivePlug(record->mPlug) && record->mPlug->GetGUI())
            record->mPlug->GetGUI()->CloseWindow();
        delete record;
        return noErr;
    case kAudioUnitCarbonViewCreateSelect: {
        const auto* args = static_cast<const AudioUnitCarbonViewCreateParams*>(params->params);
        if (!record || !args)
            return badComponentSelector;
        record->mPlug = livePlugOf(args->inEditAudioUnit);
        IGraphics* graphics = record->mPlug ? record->mPlug->GetGUI() : nullptr;
        if (!graphics)
            return badComponentSelector;
        void* control = graphics->OpenWindow(args->inWindow, args->inParentControl, 0, 0);
        if (args->outControl)
            *args->outControl = control;
        return noErr;
    }
    default:
        return badComponentSelector;
    }
}
