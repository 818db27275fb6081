// The plug-in module's exported entries and its factory. Built into the
// module only: Zelto2X_Entry (the Audio Unit component), Zelto2X_ViewEntry
// (the Carbon view component) and Zelto2X_View_64 (the Cocoa view factory
// class, made by name).
#include "IPluginAU.h"
#include "IPluginAUView.h"
#include "mutex.h"
#include "platform/CocoaWindowSystem.h"
#include "resource.h"

#if ZELTO2X_MODULE_WITH_EDITOR
#include "Zelto2X.h"
using ModulePlug = Zelto2X;
#else
// Stands in for the editor while the editor does not build: the same
// identity, a few plain parameters and a state that holds their values.
class ModulePlug : public IPluginAU {
public:
    static constexpr int kParams = 8;

    explicit ModulePlug(IPluginInstanceInfo info)
        : IPluginAU(info, zelto2x::kPlugParamCount, zelto2x::kPlugChannelIO, zelto2x::kPlugPresets,
                    zelto2x::kPlugName, zelto2x::kPlugProductName, zelto2x::kPlugManufacturer, zelto2x::kPlugVersion,
                    zelto2x::kPlugUniqueId, zelto2x::kPlugManufacturerId, zelto2x::kPlugLatency,
                    zelto2x::kPlugDoesMidi, zelto2x::kPlugDoesStateChunks, zelto2x::kPlugIsInstrument,
                    zelto2x::kPlugSideChainChannels)
    {
        initialize(info, 0, kParams, zelto2x::kPlugChannelIO, zelto2x::kPlugPresets, zelto2x::kPlugName,
                   zelto2x::kPlugProductName, zelto2x::kPlugManufacturer, zelto2x::kPlugVersion,
                   zelto2x::kPlugUniqueId, zelto2x::kPlugManufacturerId, zelto2x::kPlugLatency,
                   zelto2x::kPlugDoesMidi, zelto2x::kPlugDoesStateChunks, zelto2x::kPlugIsInstrument,
                   zelto2x::kPlugSideChainChannels);
        for (int i = 0; i < kParams; ++i)
            GetParam(i)->InitInt("Value", 0, 0, 127);
    }

    bool SerializeState(ByteChunk* chunk) override { return SerializeNonAutomatedParams(chunk, NParams()); }
    int UnserializeState(ByteChunk* chunk, int startPos) override
    {
        return UnserializeNonAutomatedParams(chunk, startPos, NParams());
    }
};
#endif

IPluginAU* MakePlug()
{
    // Two hosts' threads never construct two instances at once.
    static ROZ_Mutex lock;
    ROZ_MutexLock guard(&lock);
    IPluginInstanceInfo info;
    info.mOSXBundleID.Set(zelto2x::kBundleIdentifier);
    info.mCocoaViewFactoryClassName.Set(zelto2x::kCocoaViewFactoryClass);
    return new ModulePlug(info);
}

namespace {

class Zelto2XViewFactory : public IPluginAUCocoaViewFactory {
public:
    Zelto2XViewFactory() : IPluginAUCocoaViewFactory(zelto2x::kCocoaViewDescription) {}
};

}  // namespace

#define ZELTO2X_EXPORT extern "C" __attribute__((visibility("default")))

ZELTO2X_EXPORT ComponentResult Zelto2X_Entry(ComponentParameters* params, void* plug)
{
    return IPluginAU::IPluginAUEntry(params, plug);
}

ZELTO2X_EXPORT ComponentResult Zelto2X_ViewEntry(ComponentParameters* params, void* viewRecord)
{
    return IPluginAU::IPluginAUCarbonViewEntry(params, viewRecord);
}

ZELTO2X_EXPORT AUCocoaUIBase* Zelto2X_View_64()
{
    return new Zelto2XViewFactory;
}

// The host's window mode and GUI script commands reach the view's window
// system through this symbol: the module hides every other library symbol.
ZELTO2X_EXPORT platform::WindowSystem* Zelto2X_GuiWindowSystem()
{
    return &platform::WindowSystem::Shared();
}
